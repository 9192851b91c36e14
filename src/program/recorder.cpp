// The script writer of a recording.
#include "program/recorder.h"

#include "program/script.h"
#include "program/session_folder.h"

#include <cstdio>

namespace {

void closeScript(Recorder &recorder)
{
    closeFile(recorder.script);
    recorder.script = noFile;
    recorder.pending.clear();
    recorder.tickRun = 0;
}

// A short write may have left part of a line: the file goes back to its last
// whole line, as far as the file system still allows, and recording stops.
void stopOnFailure(Recorder &recorder, const std::string &reason)
{
    truncateFile(recorder.script, recorder.length);
    std::printf("Recording stopped: cannot write %s: %s\n", recorder.path.c_str(), reason.c_str());
    closeScript(recorder);
}

void takeTickRun(Recorder &recorder)
{
    if (recorder.tickRun == 0)
        return;
    recorder.pending += formatTickRun(recorder.tickRun) + "\n";
    recorder.tickRun = 0;
}

void writePending(Recorder &recorder, double now)
{
    recorder.lastWrite = now;
    if (recorder.pending.empty())
        return;
    // Writes into a file whose folder was deleted succeed and go nowhere.
    if (fileWasRemoved(recorder.script)) {
        stopOnFailure(recorder, "its folder was removed");
        return;
    }
    // One write for all the lines: a process killed now leaves all or none.
    if (!writeFile(recorder.script, recorder.pending.data(), recorder.pending.size())) {
        stopOnFailure(recorder, systemError());
        return;
    }
    recorder.length += static_cast<int64_t>(recorder.pending.size());
    recorder.pending.clear();
}

} // namespace

bool startRecorder(Recorder &recorder, const std::string &directory, double now, std::string &problem)
{
    recorder = Recorder();
    recorder.path = sessionPath(directory, sessionScriptName);
    recorder.script = createNewFile(recorder.path.c_str());
    if (!isOpen(recorder.script)) {
        problem = "cannot write " + recorder.path + ": " + systemError();
        return false;
    }
    recorder.lastWrite = now;
    return true;
}

void recordEvent(Recorder &recorder, const ALLEGRO_EVENT &event, double now)
{
    if (!isRecording(recorder))
        return;
    if (event.type == ALLEGRO_EVENT_TIMER) {
        recorder.tickRun++;
        if (now - recorder.lastWrite >= recorderWriteInterval) {
            takeTickRun(recorder);
            writePending(recorder, now);
        }
        return;
    }
    const std::string line = formatScriptEvent(event);
    if (line.empty())
        return;
    takeTickRun(recorder);
    recorder.pending += line + "\n";
    writePending(recorder, now);
}

void stopRecorder(Recorder &recorder)
{
    if (!isRecording(recorder))
        return;
    takeTickRun(recorder);
    writePending(recorder, recorder.lastWrite);
    if (isRecording(recorder))
        closeScript(recorder);
}
