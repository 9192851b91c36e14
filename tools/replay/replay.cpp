// clodmere-replay: plays a session without a window.
//
//   clodmere-replay [--screen WxH] [--seed N | --world FILE] [--load-chosen]
//                   [--out FILE] [--frame FILE] [SCRIPT]
//   clodmere-replay --session DIR [--out FILE] [--frame FILE]
//
// Standard output carries exactly the console lines of the game's own
// operations, then "ticks T jumpEnd J". Problems go to standard error with
// exit status 2, before anything is written.
#include "core/game_state.h"
#include "core/system.h"
#include "program/playback.h"
#include "program/session_folder.h"
#include "program/startup.h"
#include "view/bitmaps.h"
#include "view/frame.h"
#include "world/save_file.h"
#include "world/terrain.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_image.h>
#include <allegro5/allegro_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include <getopt.h>

namespace {

constexpr int usageStatus = 2;

struct Options {
    SessionStart start;
    std::string sessionPath;
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

enum OptionCode { optionStart = 's', optionSession = 'S', optionOut = 'o', optionFrame = 'f' };

const option longOptions[] = {
    {"screen", required_argument, nullptr, optionStart},
    {"seed", required_argument, nullptr, optionStart},
    {"world", required_argument, nullptr, optionStart},
    {"load-chosen", no_argument, nullptr, optionStart},
    {"session", required_argument, nullptr, optionSession},
    {"out", required_argument, nullptr, optionOut},
    {"frame", required_argument, nullptr, optionFrame},
    {nullptr, 0, nullptr, 0},
};

Options parseArguments(int argc, char **argv)
{
    Options options;
    bool startGiven = false;
    opterr = 0;
    int index = 0;
    for (int code; (code = getopt_long(argc, argv, ":", longOptions, &index)) != -1;) {
        std::string problem;
        switch (code) {
        case optionStart:
            startGiven = true;
            if (!applyStartOption(std::string("--") + longOptions[index].name, optarg ? optarg : "",
                                  options.start, problem))
                fail(problem);
            break;
        case optionSession:
            options.sessionPath = optarg;
            break;
        case optionOut:
            options.outPath = optarg;
            break;
        case optionFrame:
#ifdef CLODMERE_REPLAY_WITHOUT_FRAMES
            fail("--frame is not available in this build: it has no PNG writer");
#endif
            options.framePath = optarg;
            break;
        case ':':
            fail(std::string(argv[optind - 1]) + " needs a value");
        default:
            fail("unknown option " + std::string(argv[optind - 1]));
        }
    }
    if (argc - optind > 1)
        fail("only one script may be given");
    if (optind < argc)
        options.scriptPath = argv[optind];
    if (!options.sessionPath.empty() && (startGiven || !options.scriptPath.empty()))
        fail("--session takes the start and the script from its folder");
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

// The start, the script and the start world, all read and checked before
// anything runs.
SessionFolder readSession(const Options &options)
{
    SessionFolder session;
    std::string problem;
    if (!options.sessionPath.empty()) {
        if (!readSessionFolder(options.sessionPath, session, problem))
            fail(problem);
        return session;
    }
    session.start = options.start;
    session.events = readScript(options);
    if (session.start.source == WorldSource::file && !readStartWorld(session.start, session.startWorld, problem))
        fail(problem);
    return session;
}

// The world the session starts from, with the generator's or loader's line.
GameState prepareWorld(const SessionFolder &session, Block *grid, const Block blockTypes[blockTypeCount],
                       GameState state)
{
    switch (session.start.source) {
    case WorldSource::file:
        decodeWorld(session.startWorld.bytes.get(), session.startWorld.size, grid, state, blockTypes);
        std::printf("Loaded the world!\n");
        break;
    case WorldSource::seed:
        generateTerrainFromSeed(grid, blockTypes, session.start.seed);
        break;
    case WorldSource::clock:
        generateTerrain(grid, blockTypes);
        break;
    }
    return state;
}

// The frame the main loop would draw now, HUD included when a font loads
// from the game's own places.
void writeFrame(const std::string &path, const Block *grid, const Block blockTypes[blockTypeCount],
                const GameState &state)
{
    al_init_font_addon();
    al_init_ttf_addon();
    al_init_image_addon();
    ALLEGRO_FONT *font = loadHudFontFromItsPlaces(false);
    ALLEGRO_BITMAP *buttonFace = createHudButtonBitmap();
    ALLEGRO_BITMAP *bar = createHudBarBitmap(state.screenWidth);
    ALLEGRO_BITMAP *frame = al_create_bitmap(state.screenWidth, state.screenHeight);
    if (!frame || !bar)
        fail("cannot make a frame of " + std::to_string(state.screenWidth) + "x" + std::to_string(state.screenHeight));

    al_set_target_bitmap(frame);
    drawGameFrame(grid, blockTypes, state, {font, buttonFace, bar});
    if (!al_save_bitmap(path.c_str(), frame))
        fail("cannot write the frame " + path);
}

} // namespace

int main(int argc, char **argv)
{
    // Like the game's console: a run that stops shows its last line.
    keepConsoleLive();
    const Options options = parseArguments(argc, argv);
    const SessionFolder session = readSession(options);

    if (!al_install_system(ALLEGRO_VERSION_INT, std::atexit))
        fail("cannot start the graphics library");
    // No display: every bitmap lives in memory.
    al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);

    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    Block blockTypes[blockTypeCount];
    createBlockTypes(blockTypes);
    GameState state = sessionStartState(newGameState(createPlayerBitmap()), session.start);
    state = prepareWorld(session, grid.get(), blockTypes, state);

    PlayContext play{grid.get(), blockTypes, 0, 0};
    state = replayEvents(session.events, state, play);
    std::printf("ticks %d jumpEnd %d\n", play.tickCount, play.jumpEndTick);

    if (!options.outPath.empty() && !writeWorldFile(options.outPath.c_str(), grid.get(), state))
        fail("cannot write " + options.outPath);
    if (!options.framePath.empty())
        writeFrame(options.framePath, grid.get(), blockTypes, state);
    std::fflush(stdout);
    return 0;
}
