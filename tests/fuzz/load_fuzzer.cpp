// Fuzzes the save-file loader, then plays on whatever it accepted.
//
// An input is tried twice: as a whole file (only one of exactly the save
// file's size can load), and as a patch laid over a real save: the first
// four bytes name the offset, the rest are written there. A patch reaches
// the checks and the decoding that a small input never could, and a patch
// of the header gives the states only a damaged file holds.
#include "core/byte_order.h"
#include "program/dispatch.h"
#include "world/save_file.h"
#include "world/terrain.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct Fixture {
    Block types[blockTypeCount] = {};
    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    std::unique_ptr<unsigned char[]> file{new unsigned char[saveFileSize]};
    std::unique_ptr<unsigned char[]> pristine{new unsigned char[saveFileSize]};

    Fixture()
    {
        std::freopen("/dev/null", "w", stdout); // the handlers' console lines
        const uint8_t passable[blockTypeCount] = {0, 1, 0, 0, 0, 0, 1};
        for (int type = 0; type < blockTypeCount; type++) {
            types[type].type = type;
            types[type].passable = passable[type];
        }
        fillTerrain(grid.get(), types, 1);
        GameState state = newGameState(nullptr);
        state.playerX = 1000.0f;
        state.playerY = 1190.0f;
        encodeGameState(state, pristine.get());
        for (size_t i = 0; i < worldCellCount; i++)
            encodeBlock(grid[i], pristine.get() + storedStateSize + i * storedBlockSize);
        std::memcpy(file.get(), pristine.get(), saveFileSize);
    }
};

ALLEGRO_EVENT eventOf(ALLEGRO_EVENT_TYPE type)
{
    ALLEGRO_EVENT event;
    std::memset(&event, 0, sizeof event);
    event.type = type;
    return event;
}

// A little play on the loaded state: every key held, ticks, and presses of
// both buttons over the screen, away from Save and Load.
void playOn(Fixture &fixture, GameState state)
{
    PlayContext play{fixture.grid.get(), fixture.types, 0, 0};
    bool needsRedraw = false;
    for (int key : {keyLeft, keyRight, keyUp}) {
        ALLEGRO_EVENT down = eventOf(ALLEGRO_EVENT_KEY_DOWN);
        down.keyboard.keycode = key;
        state = dispatchEvent(down, state, play, needsRedraw);
    }
    for (int tick = 0; tick < 12; tick++)
        state = dispatchEvent(eventOf(ALLEGRO_EVENT_TIMER), state, play, needsRedraw);
    for (int y = -10; y < 880; y += 89) {
        for (int x = -10; x < 1500; x += 151) {
            ALLEGRO_EVENT press = eventOf(ALLEGRO_EVENT_MOUSE_BUTTON_DOWN);
            press.mouse.x = x;
            press.mouse.y = y;
            press.mouse.button = 1 + (x / 151 + y / 89) % 2;
            state = dispatchEvent(press, state, play, needsRedraw);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    GameState state = newGameState(nullptr);
    if (decodeWorld(data, size, fixture.grid.get(), state, fixture.types) == LoadOutcome::loaded)
        playOn(fixture, state);
    if (size < 4)
        return 0;

    const size_t offset = getU32LE(data) % saveFileSize;
    const size_t length = std::min(size - 4, saveFileSize - offset);
    std::memcpy(fixture.file.get() + offset, data + 4, length);
    state = newGameState(nullptr);
    if (decodeWorld(fixture.file.get(), saveFileSize, fixture.grid.get(), state, fixture.types) ==
        LoadOutcome::loaded)
        playOn(fixture, state);
    std::memcpy(fixture.file.get() + offset, fixture.pristine.get() + offset, length);
    return 0;
}
