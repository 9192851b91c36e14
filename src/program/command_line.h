// The game's command line:
//
//   clodmere [--record DIR | --play DIR | --timedemo DIR] [--in-data-folder]
//            [--scale S] [--help] [--version]
//
// With no option the game is exactly what it always was; arguments that are
// not options are ignored, as they always were.
#pragma once

#include <string>

enum class RunMode {
    play,     // the player plays
    record,   // the player plays, and the session is written into a folder
    playBack, // a session folder plays in the window at the timer's pace
    timeDemo  // a session folder plays as fast as frames can be drawn, timed
};

struct CommandLine {
    RunMode mode = RunMode::play;
    std::string directory; // the session folder of every mode but play
    bool inDataFolder = false; // play in the player's data folder, not here
    double scale = 0;          // the picture's scale set by hand; 0: the desktop's
};

// Exit status of a command line that cannot be used.
constexpr int usageStatus = 2;

// Reads the options. --help and --version print on standard output and end
// the process with status 0; bad use ends it through failUsage. Nothing is
// printed or touched before the options are known to be good.
CommandLine parseCommandLine(int argc, char **argv);

// One line on standard error, then the process ends with usageStatus.
[[noreturn]] void failUsage(const std::string &problem);
