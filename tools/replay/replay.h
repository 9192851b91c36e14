// Plays a parsed script through the game's own dispatch, as the main loop
// would hand the same events to the handlers.
#pragma once

#include "core/dispatch.h"
#include "tools/replay/script.h"

#include <vector>

GameState replayEvents(const std::vector<ScriptEvent> &events, GameState state, PlayContext &play);
