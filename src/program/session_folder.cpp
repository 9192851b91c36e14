// Reading and writing session folders: the one reader and the one writer.
#include "program/session_folder.h"

#include "world/regular_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint64_t largestSeed = 4294967295u;

std::string withReason(const std::string &what) { return what + ": " + std::strerror(errno); }

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
    int fd = openRegularFile(path.c_str());
    if (fd < 0)
        return false;
    contents.clear();
    char buffer[1 << 14];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            int reason = errno;
            close(fd);
            errno = reason;
            return false;
        }
        if (got == 0)
            break;
        contents.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return true;
}

// Why a file of the folder could not be read.
std::string unreadable(const std::string &path)
{
    const int reason = errno;
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return path + " is not a regular file";
    return "cannot read " + path + ": " + std::strerror(reason);
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

bool readStartWorld(const SessionStart &start, SaveFileBytes &world, std::string &problem)
{
    world = readSaveFileBytes(start.worldPath.c_str());
    if (world.outcome != LoadOutcome::loaded) {
        problem = "cannot read the world " + start.worldPath;
        return false;
    }
    if (!isWholeSave(world.bytes.get(), world.size)) {
        problem = "the world " + start.worldPath + " is damaged";
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

bool readSessionFolder(const std::string &directory, SessionFolder &folder, std::string &problem)
{
    struct stat info;
    if (stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
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
    if (mkdir(directory.c_str(), 0777) != 0 && errno != EEXIST) {
        problem = withReason("cannot create " + directory);
        return false;
    }
    struct stat info;
    if (stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        problem = directory + " is not a folder";
        return false;
    }
    for (const char *name : {sessionArgsName, sessionScriptName}) {
        if (lstat(sessionPath(directory, name).c_str(), &info) == 0) {
            problem = directory + " already holds a recording";
            return false;
        }
    }
    // Try a write now, so that a folder we cannot write into is refused
    // before the game starts.
    std::string probe = sessionPath(directory, ".clodmere-probe-XXXXXX");
    int fd = mkstemp(probe.data());
    if (fd < 0) {
        problem = withReason("cannot write into " + directory);
        return false;
    }
    close(fd);
    unlink(probe.c_str());
    return true;
}

bool writeNewFile(const std::string &path, const unsigned char *bytes, size_t size)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            int reason = written < 0 ? errno : ENOSPC;
            close(fd);
            unlink(path.c_str());
            errno = reason;
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    if (close(fd) != 0) {
        int reason = errno;
        unlink(path.c_str());
        errno = reason;
        return false;
    }
    return true;
}

bool writeSessionStart(const std::string &directory, const SessionStart &start,
                       const SaveFileBytes &startWorld, const SaveFileBytes &saveSlot, std::string &problem)
{
    const std::string args = formatStartArguments(start) + "\n";
    const std::string argsPath = sessionPath(directory, sessionArgsName);
    if (!writeNewFile(argsPath, reinterpret_cast<const unsigned char *>(args.data()), args.size())) {
        problem = withReason("cannot write " + argsPath);
        return false;
    }
    const std::string worldPath = sessionPath(directory, sessionStartWorldName);
    if (start.source == WorldSource::file && !writeNewFile(worldPath, startWorld.bytes.get(), startWorld.size)) {
        problem = withReason("cannot write " + worldPath);
        return false;
    }
    const std::string slotPath = sessionPath(directory, saveFileName);
    if (saveSlot.outcome != LoadOutcome::missing && !writeNewFile(slotPath, saveSlot.bytes.get(), saveSlot.size)) {
        problem = withReason("cannot write " + slotPath);
        return false;
    }
    return true;
}
