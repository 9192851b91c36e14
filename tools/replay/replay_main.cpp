// clodmere-replay: plays a recorded session without a window.
//
//   clodmere-replay [--screen WxH] [--seed N | --world FILE] [--out FILE]
//                   [--frame FILE] [SCRIPT]
//
// Standard output carries exactly the console lines of the game's own
// operations, then "ticks T jumpEnd J". Problems go to standard error with
// exit status 2, before anything is written.
#include "core/game_state.h"
#include "core/startup.h"
#include "tools/replay/replay.h"
#include "view/bitmaps.h"
#include "view/hud.h"
#include "view/world_view.h"
#include "world/save_file.h"
#include "world/terrain.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_image.h>
#include <allegro5/allegro_ttf.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

namespace {

constexpr int usageStatus = 2;

struct Options {
    int32_t screenWidth = defaultScreenWidth;
    int32_t screenHeight = defaultScreenHeight;
    bool seeded = false;
    unsigned seed = 0;
    std::string worldPath;
    std::string outPath;
    std::string framePath;
    std::string scriptPath; // empty: standard input
};

[[noreturn]] void fail(const std::string &message)
{
    std::fflush(stdout);
    std::fprintf(stderr, "clodmere-replay: %s\n", message.c_str());
    std::exit(usageStatus);
}

bool parseUnsigned(const std::string &text, uint64_t limit, uint64_t &value)
{
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return value <= limit;
}

void parseScreen(const std::string &text, Options &options)
{
    size_t by = text.find('x');
    uint64_t width = 0, height = 0;
    if (by == std::string::npos || !parseUnsigned(text.substr(0, by), INT32_MAX, width) ||
        !parseUnsigned(text.substr(by + 1), INT32_MAX, height) || width == 0 || height == 0)
        fail("--screen takes WxH, two positive whole numbers such as 1440x900");
    options.screenWidth = static_cast<int32_t>(width);
    options.screenHeight = static_cast<int32_t>(height);
}

Options parseArguments(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; i++) {
        std::string argument = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                fail(argument + " needs a value");
            return argv[++i];
        };
        if (argument == "--screen") {
            parseScreen(value(), options);
        } else if (argument == "--seed") {
            uint64_t seed;
            if (!parseUnsigned(value(), UINT32_MAX, seed))
                fail("--seed takes a whole number from 0 to 4294967295");
            options.seeded = true;
            options.seed = static_cast<unsigned>(seed);
        } else if (argument == "--world") {
            options.worldPath = value();
        } else if (argument == "--out") {
            options.outPath = value();
        } else if (argument == "--frame") {
            options.framePath = value();
        } else if (argument.size() > 1 && argument[0] == '-') {
            fail("unknown option " + argument);
        } else if (!options.scriptPath.empty()) {
            fail("only one script may be given");
        } else {
            options.scriptPath = argument;
        }
    }
    if (options.seeded && !options.worldPath.empty())
        fail("--seed and --world cannot be used together");
    return options;
}

std::vector<ScriptEvent> readScript(const Options &options)
{
    std::vector<ScriptEvent> events;
    ScriptError error;
    bool parsed;
    if (options.scriptPath.empty() || options.scriptPath == "-") {
        parsed = parseScript(std::cin, events, error);
    } else {
        std::ifstream file(options.scriptPath);
        if (!file)
            fail("cannot open the script " + options.scriptPath);
        parsed = parseScript(file, events, error);
    }
    if (!parsed)
        fail("line " + std::to_string(error.line) + ": " + error.message);
    return events;
}

// The world the session starts from, with the generator's or loader's line.
GameState prepareWorld(const Options &options, Block *grid, const Block blockTypes[blockTypeCount], GameState state)
{
    if (!options.worldPath.empty()) {
        LoadOutcome outcome = readWorldFile(options.worldPath.c_str(), grid, state, blockTypes);
        if (outcome == LoadOutcome::missing)
            fail("cannot open the world " + options.worldPath);
        if (outcome == LoadOutcome::damaged)
            fail("the world " + options.worldPath + " is damaged");
        std::printf("Loaded the world!\n");
    } else if (options.seeded) {
        generateTerrainFromSeed(grid, blockTypes, options.seed);
    } else {
        generateTerrain(grid, blockTypes);
    }
    return state;
}

// The frame the main loop would draw now, HUD included when a font loads
// from the game's own paths.
void writeFrame(const std::string &path, const Block *grid, const Block blockTypes[blockTypeCount],
                const GameState &state)
{
    al_init_font_addon();
    al_init_ttf_addon();
    al_init_image_addon();
    ALLEGRO_FONT *font = al_load_font(windowsFontPath, hudFontSize, 0);
    if (!font)
        font = al_load_font(fallbackFontPath, hudFontSize, 0);
    ALLEGRO_BITMAP *buttonFace = createHudButtonBitmap();
    ALLEGRO_BITMAP *bar = createHudBarBitmap(state.screenWidth);
    ALLEGRO_BITMAP *frame = al_create_bitmap(state.screenWidth, state.screenHeight);
    if (!frame || !bar)
        fail("cannot make a frame of " + std::to_string(state.screenWidth) + "x" + std::to_string(state.screenHeight));

    al_set_target_bitmap(frame);
    al_hold_bitmap_drawing(true);
    drawWorldView(grid, state);
    if (font)
        drawHud(state, blockTypes, font, buttonFace, bar);
    al_hold_bitmap_drawing(false);
    if (!al_save_bitmap(path.c_str(), frame))
        fail("cannot write the frame " + path);
}

} // namespace

int main(int argc, char **argv)
{
    Options options = parseArguments(argc, argv);
    std::vector<ScriptEvent> events = readScript(options);

    if (!al_install_system(ALLEGRO_VERSION_INT, std::atexit))
        fail("cannot start the graphics library");
    // No display: every bitmap lives in memory.
    al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);

    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    Block blockTypes[blockTypeCount];
    createBlockTypes(blockTypes);
    GameState state = newGameState(createPlayerBitmap());
    state.screenWidth = options.screenWidth;
    state.screenHeight = options.screenHeight;
    state = prepareWorld(options, grid.get(), blockTypes, state);

    PlayContext play{grid.get(), blockTypes, 0, 0};
    state = replayEvents(events, state, play);
    std::printf("ticks %d jumpEnd %d\n", play.tickCount, play.jumpEndTick);

    if (!options.outPath.empty() && !writeWorldFile(options.outPath.c_str(), grid.get(), state))
        fail("cannot write " + options.outPath);
    if (!options.framePath.empty())
        writeFrame(options.framePath, grid.get(), blockTypes, state);
    std::fflush(stdout);
    return 0;
}
