// Session folders: where a session starts and every event of it, enough to
// play it again exactly. The game records them (--record) and plays them
// (--play, --timedemo), the replay tool plays them (--session), and each
// regression session under tests/sessions is one.
//
//   args              the start, on one line: "--screen WxH", then "--seed N"
//                     or "--world start.wld"; "--load-chosen" after a seed
//                     when Load World was chosen but the slot did not load
//   script            the events, in the script language (program/script.h)
//   start.wld         the world loaded at start-up, when there was one
//   ClodmereSave.wld  the save slot as it was when play began, when there
//                     was one: a Load in the session reads it
//
// A folder holding only args and script is complete.
#pragma once

#include "core/game_state.h"
#include "program/script.h"
#include "world/save_file.h"

#include <string>
#include <vector>

constexpr const char *sessionArgsName = "args";
constexpr const char *sessionScriptName = "script";
constexpr const char *sessionStartWorldName = "start.wld";

// Where the world of a session comes from.
enum class WorldSource { clock, seed, file };

struct SessionStart {
    int32_t screenWidth = defaultScreenWidth;
    int32_t screenHeight = defaultScreenHeight;
    WorldSource source = WorldSource::clock;
    unsigned seed = 0;       // for WorldSource::seed
    std::string worldPath;   // for WorldSource::file
    bool loadChosen = false; // the menu's Load World: the record remembers it
};

// The start option that takes no value.
constexpr const char *loadChosenOption = "--load-chosen";

// One start option as the replay tool and `args` give it: "--screen" with
// WxH, "--seed" with 0 to 4294967295, "--world" with a path, "--load-chosen"
// with no value. False, with the problem, for a bad value, another name, or
// a seed and a world together.
bool applyStartOption(const std::string &name, const std::string &value, SessionStart &start,
                      std::string &problem);

// The record a session starts with: a new game's, on the session's screen.
GameState sessionStartState(GameState state, const SessionStart &start);

// A whole `args` line. A relative world path is taken from `directory`.
bool parseStartArguments(const std::string &line, const std::string &directory, SessionStart &start,
                         std::string &problem);

// The `args` line of a recorded start: the screen, then the seed, or
// start.wld for a loaded world.
std::string formatStartArguments(const SessionStart &start);

struct SessionFolder {
    SessionStart start;
    std::vector<ScriptEvent> events;
    SaveFileBytes startWorld; // the world file's bytes, for WorldSource::file
    SaveFileBytes saveSlot;   // ClodmereSave.wld's; missing when the folder has none
};

// Reads the world file a start names and checks that it is a whole save.
// False, with the problem, otherwise.
bool readStartWorld(const SessionStart &start, SaveFileBytes &world, std::string &problem);

// Reads and checks a whole folder before anything runs. False, with one line
// saying what is wrong, for a folder that is missing or unreadable, a bad
// args or script line, or a start world that is not a whole save.
bool readSessionFolder(const std::string &directory, SessionFolder &folder, std::string &problem);

// Makes `directory` ready to record into: created when missing, refused when
// it already holds a recording or cannot be written into. Leaves it empty of
// anything new.
bool claimSessionFolder(const std::string &directory, std::string &problem);

// Writes a recording's start into a claimed folder: args; start.wld from the
// bytes the world was loaded from, for a loaded world; ClodmereSave.wld when
// the slot held a file. Each file is made new: nothing already standing at
// its name is written through.
bool writeSessionStart(const std::string &directory, const SessionStart &start,
                       const SaveFileBytes &startWorld, const SaveFileBytes &saveSlot, std::string &problem);

// `name` inside `directory`.
std::string sessionPath(const std::string &directory, const std::string &name);

// Writes bytes into a file that must not exist yet. False, with the
// problem, on any failure; a file begun is removed again.
bool writeNewFile(const std::string &path, const unsigned char *bytes, size_t size, std::string &problem);
