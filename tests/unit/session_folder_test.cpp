// Session folders: what a recording writes reads back as the same start and
// the same events, the script on disk always ends with a whole line, and a
// recording that cannot write stops with one line.
#include "program/recorder.h"
#include "program/session_folder.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

ALLEGRO_EVENT eventOf(ALLEGRO_EVENT_TYPE type)
{
    ALLEGRO_EVENT event;
    std::memset(&event, 0, sizeof event);
    event.type = type;
    return event;
}

ALLEGRO_EVENT click(int x, int y, unsigned button)
{
    ALLEGRO_EVENT event = eventOf(ALLEGRO_EVENT_MOUSE_BUTTON_DOWN);
    event.mouse.x = x;
    event.mouse.y = y;
    event.mouse.button = button;
    return event;
}

// A script as the lines of its events, runs of ticks spelt out one by one.
std::vector<std::string> spelt(const std::vector<ScriptEvent> &events)
{
    std::vector<std::string> lines;
    for (const ScriptEvent &scripted : events)
        for (int64_t i = 0; i < scripted.repeat; i++)
            lines.push_back(formatScriptEvent(scripted.event));
    return lines;
}

std::string fileText(const std::string &path)
{
    std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

SaveFileBytes bytesOf(const std::vector<unsigned char> &content)
{
    SaveFileBytes file;
    file.outcome = LoadOutcome::loaded;
    file.bytes.reset(new unsigned char[content.size()]);
    std::memcpy(file.bytes.get(), content.data(), content.size());
    file.size = content.size();
    return file;
}

TEST(SessionFolder, WhatARecordingWritesReadsBackAsTheSameStartAndEvents)
{
    ScratchDirectory scratch;
    const std::string folder = scratch.path("new");
    std::string problem;
    ASSERT_TRUE(claimSessionFolder(folder, problem)) << problem;

    SessionStart start;
    start.screenWidth = 1921;
    start.screenHeight = 1081;
    start.source = WorldSource::file;
    const std::vector<unsigned char> world(saveFileSize, 0), slot = {1, 2, 3};
    ASSERT_TRUE(writeSessionStart(folder, start, bytesOf(world), bytesOf(slot), problem)) << problem;

    Recorder recorder;
    ASSERT_TRUE(startRecorder(recorder, folder, 0.0, problem)) << problem;
    const std::string script = sessionPath(folder, sessionScriptName);
    std::vector<std::string> played;
    auto take = [&](const ALLEGRO_EVENT &event, double now) {
        recordEvent(recorder, event, now);
        if (!formatScriptEvent(event).empty())
            played.push_back(formatScriptEvent(event));
    };
    take(eventOf(ALLEGRO_EVENT_TIMER), 0.1);
    ALLEGRO_EVENT right = eventOf(ALLEGRO_EVENT_KEY_DOWN);
    right.keyboard.keycode = 83;
    take(right, 0.2);
    EXPECT_EQ(fileText(script), "tick 1\ndown 83\n") << "a key is written at once";
    for (int tick = 1; tick <= 70; tick++)
        take(eventOf(ALLEGRO_EVENT_TIMER), 0.23 + tick / 60.0);
    EXPECT_EQ(fileText(script), "tick 1\ndown 83\ntick 59\n") << "a run of ticks is written within a second";
    take(eventOf(ALLEGRO_EVENT_MOUSE_AXES), 1.5); // no handler, no line
    take(click(-5, 2147483647, 3), 1.5);
    right.type = ALLEGRO_EVENT_KEY_UP;
    take(right, 1.6);
    take(eventOf(ALLEGRO_EVENT_TIMER), 1.7);
    stopRecorder(recorder);
    EXPECT_FALSE(isRecording(recorder));

    SessionFolder read;
    ASSERT_TRUE(readSessionFolder(folder, read, problem)) << problem;
    EXPECT_EQ(spelt(read.events), played);
    EXPECT_EQ(read.start.screenWidth, 1921);
    EXPECT_EQ(read.start.screenHeight, 1081);
    EXPECT_EQ(read.start.source, WorldSource::file);
    EXPECT_EQ(read.start.worldPath, folder + "/start.wld");
    EXPECT_EQ(std::vector<unsigned char>(read.startWorld.bytes.get(), read.startWorld.bytes.get() + read.startWorld.size),
              world);
    EXPECT_EQ(std::vector<unsigned char>(read.saveSlot.bytes.get(), read.saveSlot.bytes.get() + read.saveSlot.size),
              slot);

    // A world generated after Load World found nothing: the record keeps that
    // Load World was chosen.
    start.source = WorldSource::seed;
    start.seed = 4294967295u;
    start.loadChosen = true;
    SessionStart parsed;
    ASSERT_TRUE(parseStartArguments(formatStartArguments(start), folder, parsed, problem)) << problem;
    EXPECT_EQ(formatStartArguments(parsed), "--screen 1921x1081 --seed 4294967295 --load-chosen");
    EXPECT_EQ(sessionStartState(newGameState(nullptr), parsed).loadSavedWorld, 1);
}

TEST(SessionFolder, ARecordingThatCannotWriteStopsWithOneLineAndKeepsWholeLines)
{
    ScratchDirectory scratch;
    std::string problem;
    ASSERT_TRUE(claimSessionFolder(scratch.path(), problem)) << problem;
    const std::string script = sessionPath(scratch.path(), sessionScriptName);
    constexpr rlim_t fileLimit = 100;

    std::fflush(stdout);
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        // A file size limit makes writes stop short, as a full disk does.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {fileLimit, fileLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        Recorder recorder;
        startRecorder(recorder, scratch.path(), 0.0, problem);
        std::string lines = consoleOutputOf([&] {
            for (int i = 0; i < 50 && isRecording(recorder); i++)
                recordEvent(recorder, click(1000 + i, 2000, 1), i);
        });
        _exit(lines.rfind("Recording stopped: cannot write " + script, 0) == 0 && !isRecording(recorder) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "no stop line, or still recording";
    const std::string written = fileText(script);
    EXPECT_LE(written.size(), fileLimit);
    EXPECT_EQ(written.back(), '\n');

    // A folder removed while recording: the writes would go nowhere.
    ScratchDirectory other;
    const std::string folder = other.path("removed");
    ASSERT_TRUE(claimSessionFolder(folder, problem)) << problem;
    Recorder recorder;
    ASSERT_TRUE(startRecorder(recorder, folder, 0.0, problem)) << problem;
    std::filesystem::remove_all(folder);
    EXPECT_EQ(consoleOutputOf([&] { recordEvent(recorder, click(1, 2, 1), 0.0); }),
              "Recording stopped: cannot write " + folder + "/script: its folder was removed\n");
    EXPECT_FALSE(isRecording(recorder));
}

} // namespace
