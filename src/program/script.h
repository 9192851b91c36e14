// The script language of recorded sessions: one event per line, read whole
// before anything runs.
//
//   down K        key-down of Allegro key code K
//   up K          key-up of Allegro key code K
//   click X Y B   mouse-button-down of button B at display pixel (X, Y)
//   tick [N]      one timer tick, or N of them
//
// Blank lines and lines starting with '#' are ignored.
#pragma once

#include <allegro5/events.h>

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

struct ScriptEvent {
    ALLEGRO_EVENT event; // the event as the game's queue would deliver it
    int64_t repeat;      // how many times in a row (ticks only)
};

struct ScriptError {
    int line; // counted from 1
    std::string message;
};

// Reads a whole script. Returns false, with the first problem in `error`,
// if any line is not one of the forms above.
bool parseScript(std::istream &input, std::vector<ScriptEvent> &events, ScriptError &error);

// The same for one line; `isEvent` says whether it held an event at all.
bool parseScriptLine(const std::string &line, ScriptEvent &event, bool &isEvent, std::string &problem);

// The line for one event that the dispatch handles, without its line end:
// "down K", "up K", "click X Y B" or "tick". Empty for any other event,
// which has no handler and so no line.
std::string formatScriptEvent(const ALLEGRO_EVENT &event);

// The line for a run of ticks: "tick N".
std::string formatTickRun(int64_t count);

// A limit on one `tick N`, far beyond any session and small enough that a
// script's total stays countable.
constexpr int64_t maxTicksPerLine = 1000000000;
