// Playing scripts through the dispatch.
#include "program/playback.h"

#include "program/session_folder.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::string privateSlotFolder;

void removePrivateSlotFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(privateSlotFolder, ignored);
}

} // namespace

GameState playToNextTick(const std::vector<ScriptEvent> &events, ScriptCursor &cursor, GameState state,
                         PlayContext &play, bool &needsRedraw)
{
    while (cursor.line < events.size()) {
        const ScriptEvent &scripted = events[cursor.line];
        if (cursor.ticksPlayed >= scripted.repeat) {
            cursor.line++;
            cursor.ticksPlayed = 0;
            continue;
        }
        cursor.ticksPlayed++;
        state = dispatchEvent(scripted.event, state, play, needsRedraw);
        if (scripted.event.type == ALLEGRO_EVENT_TIMER)
            return state;
    }
    cursor.finished = true;
    return state;
}

GameState replayEvents(const std::vector<ScriptEvent> &events, GameState state, PlayContext &play)
{
    bool needsRedraw = false; // no frames are drawn while replaying
    ScriptCursor cursor;
    while (!cursor.finished)
        state = playToNextTick(events, cursor, state, play, needsRedraw);
    return state;
}

bool enterPrivateSaveSlot(const SaveFileBytes &slot, std::string &problem)
{
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    // A name no other run has: the clock's count, and another if taken.
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; !error && privateSlotFolder.empty() && attempt < 100; attempt++) {
        const fs::path folder = temporary / ("clodmere-playback-" + std::to_string(now + attempt));
        if (fs::create_directory(folder, error))
            privateSlotFolder = folder.string();
    }
    if (privateSlotFolder.empty()) {
        problem = "cannot make a private folder for the save slot: " + error.message();
        return false;
    }
    std::atexit(removePrivateSlotFolder);
    if (slot.outcome != LoadOutcome::missing &&
        !writeNewFile(sessionPath(privateSlotFolder, saveFileName), slot.bytes.get(), slot.size, problem))
        return false;
    fs::current_path(privateSlotFolder, error);
    if (error) {
        problem = "cannot move into " + privateSlotFolder + ": " + error.message();
        return false;
    }
    return true;
}
