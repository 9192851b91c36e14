// Playing a script through the dispatch.
#include "tools/replay/replay.h"

GameState replayEvents(const std::vector<ScriptEvent> &events, GameState state, PlayContext &play)
{
    bool needsRedraw = false; // no frames are drawn while replaying
    for (const ScriptEvent &scripted : events)
        for (int64_t i = 0; i < scripted.repeat; i++)
            state = dispatchEvent(scripted.event, state, play, needsRedraw);
    return state;
}
