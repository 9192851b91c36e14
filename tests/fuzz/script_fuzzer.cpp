// Fuzzes the replay script reader, then plays what it accepted through the
// game's dispatch over a generated world. Scripts whose ticks add up to more
// than a few thousand are read but not played, and primary presses on the
// HUD's Save and Load are left out: writing a 9 MB file per input would
// drown the search (saving and loading have their own tests and the soak).
#include "program/playback.h"
#include "view/hud_layout.h"
#include "world/terrain.h"

#include <cstdio>
#include <sstream>
#include <string>

namespace {

constexpr int64_t maxPlayedTicks = 5000;

struct Fixture {
    Block types[blockTypeCount] = {};
    std::unique_ptr<Block[]> grid = allocateWorldGrid();

    Fixture()
    {
        std::freopen("/dev/null", "w", stdout);
        const uint8_t passable[blockTypeCount] = {0, 1, 0, 0, 0, 0, 1};
        for (int type = 0; type < blockTypeCount; type++) {
            types[type].type = type;
            types[type].passable = passable[type];
        }
        fillTerrain(grid.get(), types, 1);
    }
};

bool pressesHudButton(const ALLEGRO_EVENT &event, const GameState &state)
{
    return event.type == ALLEGRO_EVENT_MOUSE_BUTTON_DOWN && event.mouse.button == 1 &&
           event.mouse.y > state.screenHeight - hudButtonFromBottom &&
           event.mouse.x > state.screenWidth - saveButtonFromRight;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    std::istringstream input(std::string(reinterpret_cast<const char *>(data), size));
    std::vector<ScriptEvent> events;
    ScriptError error;
    if (!parseScript(input, events, error))
        return 0;

    GameState state = newGameState(nullptr);
    std::vector<ScriptEvent> playable;
    int64_t ticks = 0;
    for (const ScriptEvent &event : events) {
        ticks += event.repeat;
        if (!pressesHudButton(event.event, state))
            playable.push_back(event);
    }
    if (ticks > maxPlayedTicks)
        return 0;
    PlayContext play{fixture.grid.get(), fixture.types, 0, 0};
    replayEvents(playable, state, play);
    return 0;
}
