// States that only a damaged save file can hold. Loading one and playing on
// (ticks, keys, clicks all over the screen and off it, frames) never crashes,
// never reaches outside the grid, and leaves the saved file alone unless
// Save is clicked.
#include "program/dispatch.h"
#include "view/bitmaps.h"
#include "view/hud.h"
#include "view/world_view.h"
#include "world/save_file.h"
#include "world/terrain.h"

#include "test_support.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr int32_t int32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t int32Min = std::numeric_limits<int32_t>::min();

using Damage = std::function<void(std::vector<unsigned char> &file)>;

void putFloat(std::vector<unsigned char> &file, size_t offset, float value) { std::memcpy(&file[offset], &value, 4); }
void putInt(std::vector<unsigned char> &file, size_t offset, int32_t value) { std::memcpy(&file[offset], &value, 4); }

size_t cellOffset(int column, int row) { return saveFileSize - worldCellCount * storedBlockSize + cellIndex(column, row) * storedBlockSize; }

Damage position(float x, float y)
{
    return [=](std::vector<unsigned char> &file) {
        putFloat(file, StoredState::playerX, x);
        putFloat(file, StoredState::playerY, y);
    };
}

class DamagedState : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        startAllegroInMemory(types);
        font = al_create_builtin_font();
        playerBitmap = createPlayerBitmap();
        buttonFace = createHudButtonBitmap();
        bar = createHudBarBitmap(1440);
        frame = al_create_bitmap(1440, 900);

        std::unique_ptr<Block[]> world = allocateWorldGrid();
        consoleOutputOf([&] { generateTerrainFromSeed(world.get(), types, 21); });
        GameState state = newGameState(nullptr);
        state.playerX = 1000.0f;
        state.playerY = 1190.0f;
        ScratchDirectory scratch;
        writeWorldFile(scratch.path("good.wld").c_str(), world.get(), state);
        goodFile = new std::vector<unsigned char>(readFileBytes(scratch.path("good.wld")));
    }

    static void TearDownTestSuite()
    {
        delete goodFile;
        goodFile = nullptr;
    }

    void drawFrame(const GameState &state)
    {
        al_set_target_bitmap(frame);
        al_hold_bitmap_drawing(true);
        drawWorldView(grid.get(), state);
        drawHud(state, types, font, buttonFace, bar);
        al_hold_bitmap_drawing(false);
    }

    GameState send(const ALLEGRO_EVENT &event, GameState state)
    {
        consoleOutputOf([&] { state = dispatchEvent(event, state, play, needsRedraw); });
        return state;
    }

    static ALLEGRO_EVENT eventOf(ALLEGRO_EVENT_TYPE type)
    {
        ALLEGRO_EVENT event;
        std::memset(&event, 0, sizeof event);
        event.type = type;
        return event;
    }

    // Loads the damaged file and plays on; the file must not change.
    void playOn(const Damage &damage)
    {
        ScratchDirectory scratch;
        inDirectory(scratch.path(), [&] {
            std::vector<unsigned char> file = *goodFile;
            damage(file);
            writeFileBytes(saveFileName, file);

            GameState state = newGameState(playerBitmap);
            std::string loaded = consoleOutputOf([&] { state = loadWorld(grid.get(), state, types); });
            ASSERT_EQ(loaded, "Loaded the world!\n");
            drawFrame(state);

            std::mt19937 random(5);
            for (int round = 0; round < 40; round++) {
                ALLEGRO_EVENT key = eventOf(random() % 2 ? ALLEGRO_EVENT_KEY_DOWN : ALLEGRO_EVENT_KEY_UP);
                key.keyboard.keycode = static_cast<int>(random() % ALLEGRO_KEY_MAX);
                state = send(key, state);
                for (int tick = 0; tick < 5; tick++)
                    state = send(eventOf(ALLEGRO_EVENT_TIMER), state);

                ALLEGRO_EVENT click = eventOf(ALLEGRO_EVENT_MOUSE_BUTTON_DOWN);
                click.mouse.x = static_cast<int>(random() % 1700) - 130;
                click.mouse.y = static_cast<int>(random() % 1100) - 100;
                click.mouse.button = 1 + random() % 3;
                bool onSave = click.mouse.button == 1 && click.mouse.y > 900 - 25 && click.mouse.x > 1440 - 100 &&
                              click.mouse.x <= 1440 - 40;
                if (!onSave)
                    state = send(click, state);
                if (round % 10 == 0)
                    drawFrame(state);
            }
            drawFrame(state);
            EXPECT_EQ(readFileBytes(saveFileName), file) << "the saved file changed without Save";

            ALLEGRO_EVENT save = eventOf(ALLEGRO_EVENT_MOUSE_BUTTON_DOWN);
            save.mouse.x = 1440 - 80;
            save.mouse.y = 900 - 5;
            save.mouse.button = 1;
            std::string saved = consoleOutputOf([&] { state = dispatchEvent(save, state, play, needsRedraw); });
            EXPECT_NE(saved.find("Saved the world!"), std::string::npos);
        });
    }

    GuardedGrid grid;
    PlayContext play{grid.get(), types, 0, 0};
    bool needsRedraw = false;

    static Block types[blockTypeCount];
    static ALLEGRO_FONT *font;
    static ALLEGRO_BITMAP *playerBitmap, *buttonFace, *bar, *frame;
    static std::vector<unsigned char> *goodFile;
};

Block DamagedState::types[blockTypeCount];
ALLEGRO_FONT *DamagedState::font = nullptr;
ALLEGRO_BITMAP *DamagedState::playerBitmap = nullptr;
ALLEGRO_BITMAP *DamagedState::buttonFace = nullptr;
ALLEGRO_BITMAP *DamagedState::bar = nullptr;
ALLEGRO_BITMAP *DamagedState::frame = nullptr;
std::vector<unsigned char> *DamagedState::goodFile = nullptr;

TEST_F(DamagedState, PositionsOutsideTheWorldInEveryDirection)
{
    const float positions[][2] = {{-1.0e9f, 1190}, {-12.5f, 1190}, {7195, 1190}, {1.0e9f, 1190},
                                  {1000, -1.0e9f}, {1000, -35},    {1000, 4795}, {1000, 1.0e9f},
                                  {-1.0e9f, -1.0e9f}, {3.0e38f, 3.0e38f}, {nan, 1190}, {1000, nan},
                                  {nan, nan},     {inf, -inf},     {-inf, inf}, {inf, inf}};
    for (const auto &p : positions) {
        SCOPED_TRACE(testing::Message() << "position " << p[0] << "," << p[1]);
        playOn(position(p[0], p[1]));
    }
}

TEST_F(DamagedState, SelectionsCountsAndFlagsOutsideTheirRanges)
{
    for (int32_t selected : {0, 5, -1, int32Max, int32Min}) {
        SCOPED_TRACE(testing::Message() << "selectedBlock " << selected);
        playOn([=](std::vector<unsigned char> &file) { putInt(file, StoredState::selectedBlock, selected); });
    }
    for (int32_t count : {-1, -5000, int32Min, int32Max}) {
        SCOPED_TRACE(testing::Message() << "counts " << count);
        playOn([=](std::vector<unsigned char> &file) {
            for (int slot = 0; slot < inventorySlots; slot++)
                putInt(file, StoredState::inventory + 4 * slot, count);
        });
    }
    playOn([](std::vector<unsigned char> &file) {
        // Held-key flags everywhere, with bytes other than 0 and 1.
        for (int key = 0; key < stateKeyCount; key++)
            file[StoredState::keys + key] = static_cast<unsigned char>(key * 37 + 1);
        file[StoredState::onGround] = 0xFE;
        file[StoredState::loadSavedWorld] = 9;
        putInt(file, StoredState::loadFailed, 1);
    });
}

TEST_F(DamagedState, CellsThatDisagreeWithTheirPlace)
{
    playOn([](std::vector<unsigned char> &file) {
        std::mt19937 random(8);
        const float oddValues[] = {nan, inf, -inf, -1.0e9f, 1.0e9f, -10, 7200, 4800, 3.5f};
        for (int column = 90; column < 112; column++) {
            for (int row = 110; row < 130; row++) {
                size_t cell = cellOffset(column, row);
                putFloat(file, cell + 20, oddValues[random() % std::size(oddValues)]);
                putFloat(file, cell + 24, oddValues[random() % std::size(oddValues)]);
                file[cell + 16] = static_cast<unsigned char>(random()); // passable, any byte
            }
        }
        // A passable bottom row, and solid cells of types without a slot.
        for (int column = 0; column < worldColumns; column++)
            file[cellOffset(column, 479) + 16] = 1;
        file[cellOffset(100, 119) + 8] = blockUnderground;
        file[cellOffset(101, 119) + 8] = blockAir;
    });
}

} // namespace
