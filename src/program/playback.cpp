// Playing scripts through the dispatch.
#include "program/playback.h"

#include "program/session_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace {

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
    std::string pattern = (std::filesystem::temp_directory_path(error) / "clodmere-playback-XXXXXX").string();
    if (error || !mkdtemp(pattern.data())) {
        problem = "cannot make a private folder for the save slot: " + std::string(std::strerror(errno));
        return false;
    }
    privateSlotFolder = pattern;
    std::atexit(removePrivateSlotFolder);
    const std::string slotPath = sessionPath(privateSlotFolder, saveFileName);
    if ((slot.outcome != LoadOutcome::missing && !writeNewFile(slotPath, slot.bytes.get(), slot.size)) ||
        chdir(privateSlotFolder.c_str()) != 0) {
        problem = "cannot prepare the private save slot in " + privateSlotFolder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
