// The script writer of a recording.
#include "program/recorder.h"

#include "program/script.h"
#include "program/session_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void closeScript(Recorder &recorder)
{
    close(recorder.fd);
    recorder.fd = -1;
    recorder.pending.clear();
    recorder.tickRun = 0;
}

// A short write may have left part of a line: the file goes back to its last
// whole line, as far as the file system still allows, and recording stops.
void stopOnFailure(Recorder &recorder, int reason)
{
    int trimmed = ftruncate(recorder.fd, recorder.length);
    static_cast<void>(trimmed);
    std::printf("Recording stopped: cannot write %s: %s\n", recorder.path.c_str(), std::strerror(reason));
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
    struct stat info;
    if (fstat(recorder.fd, &info) == 0 && info.st_nlink == 0) {
        stopOnFailure(recorder, ENOENT);
        return;
    }
    // One write for all the lines: a process killed now leaves all or none.
    ssize_t written;
    do
        written = write(recorder.fd, recorder.pending.data(), recorder.pending.size());
    while (written < 0 && errno == EINTR);
    if (written != static_cast<ssize_t>(recorder.pending.size())) {
        stopOnFailure(recorder, written < 0 ? errno : ENOSPC);
        return;
    }
    recorder.length += written;
    recorder.pending.clear();
}

} // namespace

bool startRecorder(Recorder &recorder, const std::string &directory, double now, std::string &problem)
{
    recorder = Recorder();
    recorder.path = sessionPath(directory, sessionScriptName);
    recorder.fd = open(recorder.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
    if (recorder.fd < 0) {
        problem = "cannot write " + recorder.path + ": " + std::strerror(errno);
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
