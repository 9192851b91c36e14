// A working directory we do not control: links, pipes, sockets, devices and
// folders at the save names. Save and Load through the HUD must never hang,
// never write through a link, change nothing outside the game's two names,
// and let play go on.
#include "player/mouse_button.h"
#include "world/save_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string fileText(const std::string &path)
{
    const std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<unsigned char> stored(const GameState &state)
{
    std::vector<unsigned char> bytes(storedStateSize);
    encodeGameState(state, bytes.data());
    return bytes;
}

constexpr unsigned hangSeconds = 20; // a load that blocks ends the test here
const std::string temporaryName = std::string(saveFileName) + ".tmp";

class HostileFolder : public testing::Test {
protected:
    void SetUp() override
    {
        alarm(hangSeconds);
        makeFakeBlockTypes(types);
        fillWithAir(grid.get(), types);
        state = newGameState(nullptr);
        writeFileBytes(letter, {'m', 'i', 'n', 'e'});
    }

    void TearDown() override { alarm(0); }

    // A primary press on the HUD's Load or Save button, in the folder.
    std::string press(int fromRight)
    {
        std::string lines;
        inDirectory(work.path(), [&] {
            ALLEGRO_EVENT event;
            std::memset(&event, 0, sizeof event);
            event.type = ALLEGRO_EVENT_MOUSE_BUTTON_DOWN;
            event.mouse.button = 1;
            event.mouse.x = state.screenWidth - fromRight;
            event.mouse.y = state.screenHeight - 1;
            lines = consoleOutputOf([&] { state = handleMouseButton(event, grid.get(), types, state); });
        });
        return lines.substr(lines.find('\n') + 1); // past the click's own line
    }
    std::string load() { return press(1); }
    std::string save() { return press(60); }

    // Everything in both folders but the game's two names: kind, and the
    // bytes of a file or the target of a link.
    std::map<std::string, std::string> everythingElse() const
    {
        std::map<std::string, std::string> found;
        for (const std::string &root : {work.path(), outside.path()})
            for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root)) {
                const std::string name = entry.path().filename();
                if (root == work.path() && (name == saveFileName || name == temporaryName))
                    continue;
                const fs::file_status status = entry.symlink_status();
                std::string what = std::to_string(static_cast<int>(status.type()));
                if (fs::is_symlink(status))
                    what += " -> " + fs::read_symlink(entry.path()).string();
                else if (fs::is_regular_file(status))
                    what += " " + fileText(entry.path());
                found[entry.path()] = what;
            }
        return found;
    }

    void expectSavedAsARegularFile()
    {
        const fs::path saved = work.path(saveFileName);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(saved)));
        EXPECT_EQ(fs::file_size(saved), saveFileSize);
        EXPECT_FALSE(fs::exists(fs::symlink_status(work.path(temporaryName))));
    }

    // Something at the save name that is no save: Load says so at once and
    // changes nothing; Save puts a real save in its place, which loads.
    void expectNoSaveThenASave(const char *whatIsThere)
    {
        SCOPED_TRACE(whatIsThere);
        const std::vector<unsigned char> before = stored(state);
        const auto others = everythingElse();
        EXPECT_EQ(load(), "No save found\nError Loading\n");
        EXPECT_EQ(stored(state), before);
        EXPECT_EQ(save(), "Saved the world!\n");
        expectSavedAsARegularFile();
        EXPECT_EQ(load(), "Loaded the world!\n");
        EXPECT_EQ(everythingElse(), others);
    }

    ScratchDirectory work, outside;
    const std::string letter = outside.path("letter"); // a file the player owns
    Block types[blockTypeCount];
    GuardedGrid grid;
    GameState state;
};

TEST_F(HostileFolder, ALinkAtTheTemporaryNameIsRemovedNotWrittenThrough)
{
    fs::create_symlink(letter, work.path(temporaryName));
    const auto others = everythingElse();
    EXPECT_EQ(save(), "Saved the world!\n");
    expectSavedAsARegularFile();
    EXPECT_EQ(readFileBytes(letter), (std::vector<unsigned char>{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(everythingElse(), others);
}

TEST_F(HostileFolder, AStaleTemporaryFileFromAKilledSaveIsReplaced)
{
    writeFileBytes(work.path(temporaryName), std::vector<unsigned char>(1000, 7));
    EXPECT_EQ(save(), "Saved the world!\n");
    expectSavedAsARegularFile();
}

TEST_F(HostileFolder, ALinkAtTheSaveNameIsReadOnlyWhenItLeadsToARegularFile)
{
    inDirectory(outside.path(), [&] { consoleOutputOf([&] { saveWorld(grid.get(), state); }); });
    const std::string elsewhere = outside.path(saveFileName);
    const std::vector<unsigned char> saved = readFileBytes(elsewhere);
    fs::create_symlink(elsewhere, work.path(saveFileName));
    EXPECT_EQ(load(), "Loaded the world!\n");
    state.inventory[0] = 5;
    EXPECT_EQ(save(), "Saved the world!\n");
    expectSavedAsARegularFile();
    EXPECT_EQ(readFileBytes(elsewhere), saved) << "the save was written through the link";

    fs::remove(work.path(saveFileName));
    fs::create_symlink(outside.path(), work.path(saveFileName));
    expectNoSaveThenASave("a link to a folder");
}

TEST_F(HostileFolder, APipeAtTheSaveName)
{
    ASSERT_EQ(mkfifo(work.path(saveFileName).c_str(), 0644), 0);
    expectNoSaveThenASave("a pipe");
}

TEST_F(HostileFolder, ASocketAtTheSaveName)
{
    int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = work.path(saveFileName);
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    listen(listener, 1);
    expectNoSaveThenASave("a listening socket");
    close(listener);
}

TEST_F(HostileFolder, ADeviceThroughALinkAtTheSaveName)
{
    fs::create_symlink("/dev/zero", work.path(saveFileName));
    expectNoSaveThenASave("a link to /dev/zero");
}

TEST_F(HostileFolder, AFolderAtTheSaveNameStaysAndSavingFails)
{
    fs::create_directory(work.path(saveFileName));
    const std::vector<unsigned char> before = stored(state);
    EXPECT_EQ(load(), "No save found\nError Loading\n");
    EXPECT_EQ(save(), "Failed to save the world!\n");
    EXPECT_EQ(stored(state), before);
    EXPECT_TRUE(fs::is_directory(work.path(saveFileName)));
    EXPECT_FALSE(fs::exists(work.path(temporaryName)));
}

} // namespace
