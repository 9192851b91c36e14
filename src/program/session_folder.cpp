// Reading and writing session folders: the one reader and the one writer.
#include "program/session_folder.h"

#include "core/system.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

constexpr uint64_t largestSeed = 4294967295u;

namespace fs = std::filesystem;

std::string withReason(const std::string &what) { return what + ": " + systemError(); }

bool parseWholeNumber(const std::string &text, uint64_t limit, uint64_t &value)
{
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return value <= limit;
}

bool parseScreen(const std::string &text, SessionStart &start)
{
    size_t by = text.find('x');
    uint64_t width = 0, height = 0;
    if (by == std::string::npos || !parseWholeNumber(text.substr(0, by), INT32_MAX, width) ||
        !parseWholeNumber(text.substr(by + 1), INT32_MAX, height) || width == 0 || height == 0)
        return false;
    start.screenWidth = static_cast<int32_t>(width);
    start.screenHeight = static_cast<int32_t>(height);
    return true;
}

// The whole of a regular file; nothing else at the name is opened.
bool readRegularFile(const std::string &path, std::string &contents)
{
    const SystemFile file = openRegularFile(path.c_str());
    if (!isOpen(file))
        return false;
    contents.clear();
    char buffer[1 << 14];
    int64_t got;
    while ((got = readFile(file, buffer, sizeof buffer)) > 0)
        contents.append(buffer, static_cast<size_t>(got));
    closeFile(file);
    return got == 0;
}

// Why a file of the folder could not be read.
std::string unreadable(const std::string &path)
{
    const std::string reason = systemError();
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::exists(status) && !fs::is_regular_file(status))
        return path + " is not a regular file";
    return "cannot read " + path + ": " + reason;
}

bool readScriptFile(const std::string &path, std::vector<ScriptEvent> &events, std::string &problem)
{
    std::string text;
    if (!readRegularFile(path, text)) {
        problem = unreadable(path);
        return false;
    }
    std::istringstream lines(text);
    ScriptError error;
    if (!parseScript(lines, events, error)) {
        problem = path + " line " + std::to_string(error.line) + ": " + error.message;
        return false;
    }
    return true;
}

} // namespace

std::string sessionPath(const std::string &directory, const std::string &name)
{
    if (directory.empty() || directory.back() == '/')
        return directory + name;
    return directory + "/" + name;
}

bool applyStartOption(const std::string &name, const std::string &value, SessionStart &start,
                      std::string &problem)
{
    if (name == "--screen") {
        if (parseScreen(value, start))
            return true;
        problem = "--screen takes WxH, two positive whole numbers such as 1440x900";
        return false;
    }
    if (name == loadChosenOption) {
        start.loadChosen = true;
        return true;
    }
    if (name == "--seed" || name == "--world") {
        const WorldSource source = name == "--seed" ? WorldSource::seed : WorldSource::file;
        if (start.source != WorldSource::clock && start.source != source) {
            problem = "--seed and --world cannot be used together";
            return false;
        }
        start.source = source;
        if (source == WorldSource::file) {
            start.worldPath = value;
            return true;
        }
        uint64_t seed;
        if (parseWholeNumber(value, largestSeed, seed)) {
            start.seed = static_cast<unsigned>(seed);
            return true;
        }
        problem = "--seed takes a whole number from 0 to 4294967295";
        return false;
    }
    problem = "unknown option " + name;
    return false;
}

bool parseStartArguments(const std::string &line, const std::string &directory, SessionStart &start,
                         std::string &problem)
{
    std::istringstream words(line);
    for (std::string name, value; words >> name;) {
        if (name != loadChosenOption && !(words >> value)) {
            problem = name + " needs a value";
            return false;
        }
        if (!applyStartOption(name, value, start, problem))
            return false;
    }
    if (start.source == WorldSource::file && start.worldPath.front() != '/')
        start.worldPath = sessionPath(directory, start.worldPath);
    return true;
}

std::string formatStartArguments(const SessionStart &start)
{
    std::string line = "--screen " + std::to_string(start.screenWidth) + "x" + std::to_string(start.screenHeight);
    if (start.source == WorldSource::file)
        line += " --world " + std::string(sessionStartWorldName);
    else if (start.source == WorldSource::seed)
        line += " --seed " + std::to_string(start.seed);
    if (start.loadChosen && start.source != WorldSource::file)
        line += " " + std::string(loadChosenOption);
    return line;
}

GameState sessionStartState(GameState state, const SessionStart &start)
{
    state.screenWidth = start.screenWidth;
    state.screenHeight = start.screenHeight;
    if (start.loadChosen)
        state.loadSavedWorld = 1;
    return state;
}

bool readStartWorld(const SessionStart &start, SaveFileBytes &world, std::string &problem)
{
    world = readSaveFileBytes(start.worldPath.c_str());
    if (world.outcome != LoadOutcome::loaded) {
        problem = "cannot open the world " + start.worldPath;
        return false;
    }
    if (!isWholeSave(world.bytes.get(), world.size)) {
        problem = "the world " + start.worldPath + " is damaged";
        return false;
    }
    return true;
}

bool readSessionFolder(const std::string &directory, SessionFolder &folder, std::string &problem)
{
    std::error_code error;
    if (!fs::is_directory(directory, error)) {
        problem = "no session folder at " + directory;
        return false;
    }
    std::string args;
    const std::string argsPath = sessionPath(directory, sessionArgsName);
    if (!readRegularFile(argsPath, args)) {
        problem = unreadable(argsPath);
        return false;
    }
    folder.start = SessionStart();
    if (!parseStartArguments(args, directory, folder.start, problem)) {
        problem = argsPath + ": " + problem;
        return false;
    }
    if (!readScriptFile(sessionPath(directory, sessionScriptName), folder.events, problem))
        return false;
    if (folder.start.source == WorldSource::file && !readStartWorld(folder.start, folder.startWorld, problem))
        return false;
    folder.saveSlot = readSaveFileBytes(sessionPath(directory, saveFileName).c_str());
    if (folder.saveSlot.outcome == LoadOutcome::damaged) {
        problem = "cannot read " + sessionPath(directory, saveFileName);
        return false;
    }
    return true;
}

bool claimSessionFolder(const std::string &directory, std::string &problem)
{
    std::error_code error;
    if (fs::exists(directory, error) && !fs::is_directory(directory, error)) {
        problem = directory + " is not a folder";
        return false;
    }
    fs::create_directory(directory, error);
    if (error) {
        problem = "cannot create " + directory + ": " + error.message();
        return false;
    }
    for (const char *name : {sessionArgsName, sessionScriptName}) {
        if (fs::exists(fs::symlink_status(sessionPath(directory, name), error))) {
            problem = directory + " already holds a recording";
            return false;
        }
    }
    // Try a write now, so that a folder we cannot write into is refused
    // before the game starts.
    const std::string probe = sessionPath(
        directory, ".clodmere-probe-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    const SystemFile file = createNewFile(probe.c_str());
    if (!isOpen(file)) {
        problem = withReason("cannot write into " + directory);
        return false;
    }
    closeFile(file);
    removeFile(probe.c_str());
    return true;
}

bool writeNewFile(const std::string &path, const unsigned char *bytes, size_t size, std::string &problem)
{
    const SystemFile file = createNewFile(path.c_str());
    if (!isOpen(file)) {
        problem = withReason("cannot write " + path);
        return false;
    }
    const bool written = writeFile(file, bytes, size);
    const std::string reason = written ? "" : systemError();
    const bool closed = closeFile(file);
    if (written && closed)
        return true;
    problem = "cannot write " + path + ": " + (written ? systemError() : reason);
    removeFile(path.c_str());
    return false;
}

bool writeSessionStart(const std::string &directory, const SessionStart &start,
                       const SaveFileBytes &startWorld, const SaveFileBytes &saveSlot, std::string &problem)
{
    const std::string args = formatStartArguments(start) + "\n";
    if (!writeNewFile(sessionPath(directory, sessionArgsName), reinterpret_cast<const unsigned char *>(args.data()),
                      args.size(), problem))
        return false;
    if (start.source == WorldSource::file &&
        !writeNewFile(sessionPath(directory, sessionStartWorldName), startWorld.bytes.get(), startWorld.size,
                      problem))
        return false;
    return saveSlot.outcome == LoadOutcome::missing ||
           writeNewFile(sessionPath(directory, saveFileName), saveSlot.bytes.get(), saveSlot.size, problem);
}
