// Helpers shared by the unit tests.
#include "test_support.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <sys/mman.h>
#include <unistd.h>

ScratchDirectory::ScratchDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "clodmere-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("cannot make a scratch directory");
    root = buffer.data();
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::string ScratchDirectory::path(const std::string &name) const { return name.empty() ? root : root + "/" + name; }

void inDirectory(const std::string &directory, const std::function<void()> &work)
{
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(directory);
    work();
    std::filesystem::current_path(previous);
}

std::string consoleOutputOf(const std::function<void()> &work)
{
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    work();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

void makeFakeBlockTypes(Block blockTypes[blockTypeCount], uintptr_t tileBase)
{
    const char *names[] = {"NULL", "Air", "Dirt", "Grass", "Stone", "Gold"};
    const uint8_t passable[] = {0, 1, 0, 0, 0, 0, 1};
    for (int type = 0; type < blockTypeCount; type++) {
        Block &entry = blockTypes[type];
        std::memset(&entry, 0, sizeof entry);
        if (type == blockUnderground)
            std::memcpy(entry.name, "Undergro", 8);
        else
            std::strncpy(entry.name, names[type], sizeof entry.name);
        entry.type = type;
        entry.passable = passable[type];
        int tile = type == blockUnderground ? blockNull : type;
        entry.bitmap = reinterpret_cast<ALLEGRO_BITMAP *>(tileBase + 0x10 * static_cast<uintptr_t>(tile));
    }
}

void startAllegroOnce()
{
    if (!al_is_system_installed()) {
        ASSERT_TRUE(al_install_system(ALLEGRO_VERSION_INT, std::atexit));
    }
}

void startAllegroInMemory(Block blockTypes[blockTypeCount])
{
    startAllegroOnce();
    al_init_font_addon();
    al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
    createBlockTypes(blockTypes);
}

std::ostream &operator<<(std::ostream &out, const Rgb &colour)
{
    return out << "(" << int(colour.r) << "," << int(colour.g) << "," << int(colour.b) << ")";
}

Rgb pixelOf(ALLEGRO_BITMAP *bitmap, int x, int y)
{
    Rgb colour;
    al_unmap_rgb(al_get_pixel(bitmap, x, y), &colour.r, &colour.g, &colour.b);
    return colour;
}

std::vector<unsigned char> readFileBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
}

void writeFileBytes(const std::string &path, const std::vector<unsigned char> &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string &path) { return std::filesystem::exists(path); }

namespace {
constexpr size_t guardBytes = 4 << 20; // more than a few columns either way
}

GuardedGrid::GuardedGrid()
{
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t gridBytes = (worldCellCount * sizeof(Block) + page - 1) / page * page;
    mappingSize = guardBytes + gridBytes + guardBytes;
    mapping = mmap(nullptr, mappingSize, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::runtime_error("cannot map a guarded grid");
    char *start = static_cast<char *>(mapping) + guardBytes;
    mprotect(start, gridBytes, PROT_READ | PROT_WRITE);
    // The grid ends exactly where the upper guard begins.
    cells = reinterpret_cast<Block *>(start + gridBytes - worldCellCount * sizeof(Block));
}

GuardedGrid::~GuardedGrid() { munmap(mapping, mappingSize); }

void fillWithAir(Block *grid, const Block blockTypes[blockTypeCount])
{
    for (int column = 0; column < worldColumns; column++) {
        for (int row = 0; row < worldRows; row++) {
            Block &cell = grid[cellIndex(column, row)];
            cell = blockTypes[blockAir];
            cell.x = 10.0f * column;
            cell.y = 10.0f * row;
        }
    }
}

void setCell(Block *grid, const Block blockTypes[blockTypeCount], int column, int row, int32_t type)
{
    copyBlockType(grid[cellIndex(column, row)], blockTypes[type]);
}
