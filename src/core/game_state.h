// The game state record: what every handler takes and returns by value, and
// its 280-byte stored form, which is also the save file's header.
#pragma once

#include <cstddef>
#include <cstdint>

struct ALLEGRO_BITMAP;

// The keys array has one entry per key code of the library the game was
// first built against; the stored form keeps that length whatever the
// installed library declares.
constexpr int stateKeyCount = 227;

// The four entries the game writes (the arrow keys' codes).
constexpr int keyLeft = 82;
constexpr int keyRight = 83;
constexpr int keyUp = 84;
constexpr int keyDown = 85;

constexpr int inventorySlots = 4;

// Flags are kept as raw bytes, not bool: a record read from a file carries
// whatever byte the file held, and every byte must survive a save unchanged.
struct GameState {
    float playerX;
    float playerY;
    int32_t inventory[inventorySlots]; // Dirt, Grass, Stone, Gold
    ALLEGRO_BITMAP *playerBitmap;
    uint8_t onGround;
    uint8_t paddingAfterOnGround[3];
    int32_t selectedBlock; // 1 Dirt .. 4 Gold
    uint8_t keys[stateKeyCount];
    uint8_t paddingAfterKeys;
    int32_t screenWidth;
    int32_t screenHeight;
    uint8_t loadSavedWorld;
    uint8_t paddingAfterLoadSavedWorld[3];
    int32_t loadFailed;
};

constexpr size_t storedStateSize = 280;

// Byte offsets of the stored form.
namespace StoredState {
constexpr size_t playerX = 0;
constexpr size_t playerY = 4;
constexpr size_t inventory = 8;
constexpr size_t playerBitmap = 24;
constexpr size_t onGround = 28;
constexpr size_t paddingAfterOnGround = 29;
constexpr size_t selectedBlock = 32;
constexpr size_t keys = 36;
constexpr size_t paddingAfterKeys = 263;
constexpr size_t screenWidth = 264;
constexpr size_t screenHeight = 268;
constexpr size_t loadSavedWorld = 272;
constexpr size_t paddingAfterLoadSavedWorld = 273;
constexpr size_t loadFailed = 276;
} // namespace StoredState

// The player box, in world pixels: the collision tests are built around it,
// and the player's bitmap has its size.
constexpr int playerWidth = 10;
constexpr int playerHeight = 20;

constexpr float startPlayerX = 30.0f;
constexpr float startPlayerY = 30.0f;
constexpr int32_t defaultScreenWidth = 1440;
constexpr int32_t defaultScreenHeight = 900;

// An all-zero record: the state before start-up fills anything in.
GameState zeroGameState();

// A new game's record: start position, empty inventory, Dirt selected, the
// default display size, the given player bitmap; every other byte zero.
GameState newGameState(ALLEGRO_BITMAP *playerBitmap);

// Writes the stored form. The handle slot is written as zero: a handle means
// nothing outside the running program, and zero keeps files reproducible.
void encodeGameState(const GameState &state, unsigned char out[storedStateSize]);

// Reads the stored form; the player bitmap comes back empty.
GameState decodeGameState(const unsigned char in[storedStateSize]);

// The rule for taking a record from a save file: everything from the file
// except the player bitmap and the display size, which stay the caller's.
GameState takeStoredState(const unsigned char in[storedStateSize], const GameState &current);
