// Playing a script through the dispatch, the way the main loop hands it live
// events: all at once (the replay tool, the tests), one tick at a time at
// the timer's pace (--play), or as fast as frames can be drawn (--timedemo).
#pragma once

#include "program/dispatch.h"
#include "program/script.h"
#include "world/save_file.h"

#include <string>
#include <vector>

// How far a script has been played.
struct ScriptCursor {
    size_t line = 0;         // the next event of the script to play
    int64_t ticksPlayed = 0; // of that event's run of ticks
    bool finished = false;   // nothing is left to play
};

// Plays from the cursor up to and including the next tick: every key and
// click before it, then that one tick. At the end of the script `finished`
// is set, and then nothing more is played.
GameState playToNextTick(const std::vector<ScriptEvent> &events, ScriptCursor &cursor, GameState state,
                         PlayContext &play, bool &needsRedraw);

// The whole script at once.
GameState replayEvents(const std::vector<ScriptEvent> &events, GameState state, PlayContext &play);

// Playing back must never touch the player's own save, and the HUD's Save
// and Load use "ClodmereSave.wld" in the working directory: so playback
// moves into a private folder that holds the session's copy of the slot
// (none when `slot` is missing). The folder goes when the process exits.
// False, with the problem, when the folder cannot be made.
bool enterPrivateSaveSlot(const SaveFileBytes &slot, std::string &problem);
