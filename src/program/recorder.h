// Recording a session's events into its folder's script as play goes.
//
// Lines are written whole, one write at a time: a key or a click at once,
// with the ticks before it, and a run of ticks at least once a second. So a
// process that dies, however it dies, leaves a script that plays up to its
// last line. When writing fails the recording stops with one console line;
// play goes on.
#pragma once

#include "core/system.h"

#include <allegro5/events.h>

#include <cstdint>
#include <string>

struct Recorder {
    SystemFile script = noFile; // none when not recording
    std::string path;
    std::string pending;  // whole lines not yet written
    int64_t tickRun = 0;  // ticks since the last line
    double lastWrite = 0; // seconds, as the caller's clock counts them
    int64_t length = 0;   // bytes of whole lines in the file
};

// Seconds between writes of a run of ticks, at most.
constexpr double recorderWriteInterval = 1.0;

// Creates the script in a claimed session folder. False, with the problem,
// when it cannot be created.
bool startRecorder(Recorder &recorder, const std::string &directory, double now, std::string &problem);

// Takes one event that reached the dispatch; events without a line in the
// script language are left out.
void recordEvent(Recorder &recorder, const ALLEGRO_EVENT &event, double now);

// Writes what is pending and closes the script.
void stopRecorder(Recorder &recorder);

inline bool isRecording(const Recorder &recorder) { return isOpen(recorder.script); }
