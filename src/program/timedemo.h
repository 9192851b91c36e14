// The timedemo: a recorded session played as fast as the machine can draw
// it, one whole frame after every tick, with the frames timed.
#pragma once

#include "program/dispatch.h"
#include "program/script.h"

#include <string>
#include <vector>

// Plays the script from the start and returns how long each frame took, in
// seconds, from the end of the frame before it (or the start). Ends early
// when the window is closed.
std::vector<double> runTimeDemo(const std::vector<ScriptEvent> &events, PlayContext &play);

// "timedemo: F frames, S s, P fps, median M ms, worst X ms".
std::string formatTimeDemoReport(const std::vector<double> &frameSeconds);
