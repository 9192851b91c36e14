// Reading the game's options with the C library's getopt_long.
#include "program/command_line.h"

#include "program/startup.h"

#include <cstdio>
#include <cstdlib>

#include <getopt.h>

namespace {

constexpr double smallestScale = 0.25, largestScale = 8;

const char *const usage =
    "Usage: clodmere [--record DIR | --play DIR | --timedemo DIR] [--in-data-folder]\n"
    "                [--scale S] [--help] [--version]\n"
    "\n"
    "With no option, play. The console is the game's log.\n"
    "  --record DIR    play, and write the session into the folder DIR (made if\n"
    "                  missing) so that it can be played again exactly\n"
    "  --play DIR      play the session in DIR back in the window; close it to end\n"
    "  --timedemo DIR  play the session in DIR as fast as frames can be drawn and\n"
    "                  print how long the frames took\n"
    "  --in-data-folder  play in your data folder ($XDG_DATA_HOME/clodmere, by\n"
    "                  default ~/.local/share/clodmere, made if missing) instead\n"
    "                  of the working directory: the save goes there\n"
    "  --scale S       show the game's picture S times its size (2, or 1.5, or\n"
    "                  0.8) instead of at the desktop's scale; a scale that does\n"
    "                  not fit the screen is lowered until it does\n"
    "  --help          show this text\n"
    "  --version       show the game's version\n"
    "\n"
    "Playing back never touches ClodmereSave.wld: Save and Load act on a private\n"
    "copy of the session's own.\n";

enum OptionCode {
    optionRecord = 'r',
    optionPlay = 'p',
    optionTimeDemo = 't',
    optionInDataFolder = 'd',
    optionScale = 's',
    optionHelp = 'h',
    optionVersion = 'v'
};

const option longOptions[] = {
    {"record", required_argument, nullptr, optionRecord},
    {"play", required_argument, nullptr, optionPlay},
    {"timedemo", required_argument, nullptr, optionTimeDemo},
    {"in-data-folder", no_argument, nullptr, optionInDataFolder},
    {"scale", required_argument, nullptr, optionScale},
    {"help", no_argument, nullptr, optionHelp},
    {"version", no_argument, nullptr, optionVersion},
    {nullptr, 0, nullptr, 0},
};

void chooseMode(CommandLine &commandLine, bool &modeGiven, RunMode mode, const char *directory)
{
    if (modeGiven)
        failUsage("give only one of --record, --play and --timedemo");
    modeGiven = true;
    commandLine.mode = mode;
    commandLine.directory = directory;
    if (commandLine.directory.empty())
        failUsage("the session folder must not be empty");
}

// A scale as a player would write it, within what any screen could show.
double readScale(const char *text)
{
    char *end = nullptr;
    const double scale = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(scale >= smallestScale && scale <= largestScale))
        failUsage(std::string("--scale takes a number from 0.25 to 8, not ") + text);
    return scale;
}

// The option getopt_long refused: a long one as it was given, a short one
// (there are none) by its letter.
std::string unknownOption(const char *lastTaken)
{
    if (lastTaken[0] == '-' && lastTaken[1] == '-')
        return lastTaken;
    return "-" + std::string(1, static_cast<char>(optopt));
}

} // namespace

void failUsage(const std::string &problem)
{
    std::fflush(stdout);
    std::fprintf(stderr, "clodmere: %s (try --help)\n", problem.c_str());
    std::exit(usageStatus);
}

CommandLine parseCommandLine(int argc, char **argv)
{
    CommandLine commandLine;
    bool modeGiven = false;
    opterr = 0; // our own one-line messages instead of getopt's
    // Only long options: the leading colon tells a missing value from an
    // unknown option.
    for (int code; (code = getopt_long(argc, argv, ":", longOptions, nullptr)) != -1;) {
        switch (code) {
        case optionRecord:
            chooseMode(commandLine, modeGiven, RunMode::record, optarg);
            break;
        case optionPlay:
            chooseMode(commandLine, modeGiven, RunMode::playBack, optarg);
            break;
        case optionTimeDemo:
            chooseMode(commandLine, modeGiven, RunMode::timeDemo, optarg);
            break;
        case optionInDataFolder:
            commandLine.inDataFolder = true;
            break;
        case optionScale:
            commandLine.scale = readScale(optarg);
            break;
        case optionHelp:
            std::fputs(usage, stdout);
            std::exit(0);
        case optionVersion:
            std::printf("%s\n", gameTitle);
            std::exit(0);
        case ':':
            failUsage(std::string(argv[optind - 1]) + (optopt == optionScale ? " needs a number" : " needs a folder"));
        default:
            failUsage("unknown option " + unknownOption(argv[optind - 1]));
        }
    }
    // Arguments that are not options are ignored, as the game always has.
    return commandLine;
}
