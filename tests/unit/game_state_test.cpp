// The state record's stored form: a new game's bytes, round trips, the load rule.
#include "core/game_state.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

namespace {

using StoredBytes = std::array<unsigned char, storedStateSize>;

StoredBytes encoded(const GameState &state)
{
    StoredBytes bytes;
    bytes.fill(0xCD); // so that a field the encoder skips shows up
    encodeGameState(state, bytes.data());
    return bytes;
}

ALLEGRO_BITMAP *fakeBitmap(uintptr_t value) { return reinterpret_cast<ALLEGRO_BITMAP *>(value); }

// Random bytes in every position, with the handle slot zero as the encoder writes it.
StoredBytes randomRecord(unsigned seed)
{
    std::mt19937 random(seed);
    StoredBytes bytes;
    for (auto &byte : bytes)
        byte = static_cast<unsigned char>(random());
    std::memset(bytes.data() + StoredState::playerBitmap, 0, 4);
    return bytes;
}

TEST(GameStateStoredForm, NewGameHasTheDocumentedBytesAndZeroElsewhere)
{
    StoredBytes expected{};
    const unsigned char thirty[] = {0x00, 0x00, 0xF0, 0x41}; // 30.0f, little-endian
    std::memcpy(&expected[0], thirty, 4);
    std::memcpy(&expected[4], thirty, 4);
    expected[32] = 1;                       // selectedBlock
    expected[264] = 0xA0, expected[265] = 0x05; // 1440
    expected[268] = 0x84, expected[269] = 0x03; // 900

    StoredBytes actual = encoded(newGameState(fakeBitmap(0x12345678abcdULL)));
    for (size_t offset = 0; offset < storedStateSize; offset++)
        EXPECT_EQ(actual[offset], expected[offset]) << "at offset " << offset;
}

TEST(GameStateStoredForm, ArrowKeyFlagsSitAtOffsets118To121)
{
    GameState state = newGameState(nullptr);
    state.keys[keyLeft] = 1;
    state.keys[keyRight] = 1;
    state.keys[keyUp] = 1;
    state.keys[keyDown] = 1;
    StoredBytes bytes = encoded(state);
    for (size_t offset = StoredState::keys; offset < StoredState::keys + stateKeyCount; offset++)
        EXPECT_EQ(bytes[offset], offset >= 118 && offset <= 121 ? 1 : 0) << "at offset " << offset;
}

TEST(GameStateStoredForm, FieldsAreLittleEndianAtTheirOffsets)
{
    GameState state = zeroGameState();
    state.playerX = -2.5f;           // 0xC0200000
    state.inventory[1] = -2;         // 0xFFFFFFFE
    state.inventory[3] = 0x01020304;
    state.selectedBlock = 4;
    state.screenHeight = 1081;       // 0x439
    state.loadSavedWorld = 1;
    state.loadFailed = 0x0A0B0C0D;
    StoredBytes bytes = encoded(state);
    EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (unsigned)bytes[3] << 24, 0xC0200000u);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(bytes[12 + i], 0xFFFFFFFEu >> (8 * i) & 0xFF);
    EXPECT_EQ(bytes[20], 0x04);
    EXPECT_EQ(bytes[23], 0x01);
    EXPECT_EQ(bytes[32], 4);
    EXPECT_EQ(bytes[268], 0x39);
    EXPECT_EQ(bytes[269], 0x04);
    EXPECT_EQ(bytes[272], 1);
    EXPECT_EQ(bytes[276], 0x0D);
    EXPECT_EQ(bytes[279], 0x0A);
}

TEST(GameStateStoredForm, EveryByteSurvivesARoundTripThroughTheRecord)
{
    for (unsigned seed = 1; seed <= 50; seed++) {
        StoredBytes original = randomRecord(seed);
        GameState state = decodeGameState(original.data());
        EXPECT_EQ(state.playerBitmap, nullptr);
        EXPECT_EQ(encoded(state), original) << "seed " << seed;
    }
}

TEST(GameStateStoredForm, NanAndInfinityPositionsKeepTheirBits)
{
    StoredBytes bytes{};
    const unsigned char quietNanWithPayload[] = {0x01, 0x00, 0xC0, 0x7F};
    const unsigned char negativeInfinity[] = {0x00, 0x00, 0x80, 0xFF};
    std::memcpy(&bytes[0], quietNanWithPayload, 4);
    std::memcpy(&bytes[4], negativeInfinity, 4);
    EXPECT_EQ(encoded(decodeGameState(bytes.data())), bytes);
}

TEST(GameStateLoadRule, HandleAndScreenSizeStayTheCallersEverythingElseComesFromTheFile)
{
    StoredBytes file = randomRecord(7);
    GameState current = newGameState(fakeBitmap(0xBEEF));
    current.screenWidth = 1200;
    current.screenHeight = 700;
    current.inventory[0] = 99;

    GameState loaded = takeStoredState(file.data(), current);

    EXPECT_EQ(loaded.playerBitmap, fakeBitmap(0xBEEF));
    EXPECT_EQ(loaded.screenWidth, 1200);
    EXPECT_EQ(loaded.screenHeight, 700);
    StoredBytes expected = file;
    GameState sizes = zeroGameState();
    sizes.screenWidth = 1200;
    sizes.screenHeight = 700;
    StoredBytes sizeBytes = encoded(sizes);
    std::memcpy(&expected[StoredState::screenWidth], &sizeBytes[StoredState::screenWidth], 8);
    EXPECT_EQ(encoded(loaded), expected);
}

} // namespace
