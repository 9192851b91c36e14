// The entry routine: read the command line, start up, make the world, play,
// shut down.
#include "core/system.h"
#include "program/command_line.h"
#include "program/globals.h"
#include "program/main_loop.h"
#include "program/session_folder.h"
#include "program/startup.h"
#include "program/timedemo.h"
#include "program/world_setup.h"
#include "world/block.h"

#include <cstdio>
#include <filesystem>
#include <memory>

using namespace program;

namespace {

// The player's data folder is this one under the system's folder for them.
constexpr const char *dataFolderName = "clodmere";

bool playsBack(const CommandLine &commandLine)
{
    return commandLine.mode == RunMode::playBack || commandLine.mode == RunMode::timeDemo;
}

// A session folder is checked whole before anything else happens: a bad one
// is bad use, and the game does not start.
void checkSessionFolder(const CommandLine &commandLine, SessionFolder &folder)
{
    std::string problem;
    if (playsBack(commandLine) && !readSessionFolder(commandLine.directory, folder, problem))
        failUsage(problem);
    if (commandLine.mode == RunMode::record && !claimSessionFolder(commandLine.directory, problem))
        failUsage(problem);
}

// The start menu's world. For a recording the save slot is read even for a
// new world: the session keeps it, since a Load in play reads it.
GameState makeChosenWorld(GameState state, Block *grid, const Block blockTypes[blockTypeCount],
                          const CommandLine &commandLine, EventFeed &feed)
{
    const bool recording = commandLine.mode == RunMode::record;
    SaveFileBytes slot;
    if (state.loadSavedWorld || recording)
        slot = readSaveFileBytes(saveFileName);
    WorldOrigin origin;
    state = loadOrGenerateWorld(state, grid, blockTypes, slot, origin);
    if (!recording)
        return state;

    SessionStart start;
    start.screenWidth = state.screenWidth;
    start.screenHeight = state.screenHeight;
    start.source = origin.source;
    start.seed = origin.seed;
    start.loadChosen = state.loadSavedWorld != 0;
    std::string problem;
    if (writeSessionStart(commandLine.directory, start, slot, slot, problem) &&
        startRecorder(feed.recorder, commandLine.directory, al_get_time(), problem))
        std::printf("Recording the session into %s\n", commandLine.directory.c_str());
    else
        std::printf("Recording stopped: %s\n", problem.c_str());
    return state;
}

// A session's world, and a private save slot for its Save and Load.
GameState makeSessionWorld(GameState state, Block *grid, const Block blockTypes[blockTypeCount],
                           const CommandLine &commandLine, const SessionFolder &folder)
{
    state = setUpSessionWorld(state, grid, blockTypes, folder.start, folder.startWorld);
    std::string problem;
    if (!enterPrivateSaveSlot(folder.saveSlot, problem))
        failStartUp((problem + "\n").c_str());
    std::printf("Playing the session in %s\n", commandLine.directory.c_str());
    return state;
}

// The game from the desktop menu plays in the player's data folder, so
// that its save lands in one known place. A session folder named on the
// command line stays the one the player meant.
void enterPlayersFolder(CommandLine &commandLine)
{
    std::error_code ignored;
    if (!commandLine.directory.empty())
        commandLine.directory = std::filesystem::absolute(commandLine.directory, ignored).string();
    std::string problem;
    if (!enterDataFolder(dataFolderName, problem))
        failStartUp(("Cannot play in the data folder: " + problem + "\n").c_str());
}

} // namespace

int main(int argc, char **argv)
{
    // The console is the game's log: keep it live through pipes and files.
    keepConsoleLive();
    CommandLine commandLine = parseCommandLine(argc, argv);
    if (commandLine.inDataFolder)
        enterPlayersFolder(commandLine);
    SessionFolder folder;
    checkSessionFolder(commandLine, folder);

    std::printf("Starting Clodmere 0.68! Please note that this is mainly a debug window.\n");
    if (playsBack(commandLine))
        startUpForPlayback(folder.start.screenWidth, folder.start.screenHeight,
                           commandLine.mode == RunMode::timeDemo);
    else
        startUp(commandLine.scale);

    // The grid and the block-type table belong to this routine for the whole run.
    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    Block blockTypes[blockTypeCount];
    std::printf("Loading Blocks\n");
    createBlockTypes(blockTypes);
    EventFeed feed;
    if (playsBack(commandLine)) {
        gameState = makeSessionWorld(gameState, grid.get(), blockTypes, commandLine, folder);
        feed.script = &folder.events;
    } else {
        gameState = makeChosenWorld(gameState, grid.get(), blockTypes, commandLine, feed);
    }

    std::printf("Starting to Draw.\n");
    al_set_target_bitmap(al_get_backbuffer(display));
    PlayContext play{grid.get(), blockTypes, 0, 0};
    if (commandLine.mode == RunMode::timeDemo) {
        const std::vector<double> frameSeconds = runTimeDemo(folder.events, play);
        shutDown();
        std::printf("%s\n", formatTimeDemoReport(frameSeconds).c_str());
        return 0;
    }

    al_start_timer(gameTimer);
    runMainLoop(play, feed);
    stopRecorder(feed.recorder);
    shutDown();
    return 0;
}
