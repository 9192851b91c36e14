// The game state record and its stored form.
#include "core/game_state.h"

#include "core/byte_order.h"

#include <cstring>

GameState zeroGameState()
{
    GameState state;
    std::memset(&state, 0, sizeof state);
    return state;
}

GameState newGameState(ALLEGRO_BITMAP *playerBitmap)
{
    GameState state = zeroGameState();
    state.playerX = startPlayerX;
    state.playerY = startPlayerY;
    state.playerBitmap = playerBitmap;
    state.onGround = 0;
    state.selectedBlock = 1;
    state.screenHeight = defaultScreenHeight;
    state.screenWidth = defaultScreenWidth;
    return state;
}

void encodeGameState(const GameState &state, unsigned char out[storedStateSize])
{
    putF32LE(out + StoredState::playerX, state.playerX);
    putF32LE(out + StoredState::playerY, state.playerY);
    for (int slot = 0; slot < inventorySlots; slot++)
        putI32LE(out + StoredState::inventory + 4 * slot, state.inventory[slot]);
    putU32LE(out + StoredState::playerBitmap, 0);
    out[StoredState::onGround] = state.onGround;
    std::memcpy(out + StoredState::paddingAfterOnGround, state.paddingAfterOnGround, 3);
    putI32LE(out + StoredState::selectedBlock, state.selectedBlock);
    std::memcpy(out + StoredState::keys, state.keys, stateKeyCount);
    out[StoredState::paddingAfterKeys] = state.paddingAfterKeys;
    putI32LE(out + StoredState::screenWidth, state.screenWidth);
    putI32LE(out + StoredState::screenHeight, state.screenHeight);
    out[StoredState::loadSavedWorld] = state.loadSavedWorld;
    std::memcpy(out + StoredState::paddingAfterLoadSavedWorld, state.paddingAfterLoadSavedWorld, 3);
    putI32LE(out + StoredState::loadFailed, state.loadFailed);
}

GameState decodeGameState(const unsigned char in[storedStateSize])
{
    GameState state = zeroGameState();
    state.playerX = getF32LE(in + StoredState::playerX);
    state.playerY = getF32LE(in + StoredState::playerY);
    for (int slot = 0; slot < inventorySlots; slot++)
        state.inventory[slot] = getI32LE(in + StoredState::inventory + 4 * slot);
    state.playerBitmap = nullptr;
    state.onGround = in[StoredState::onGround];
    std::memcpy(state.paddingAfterOnGround, in + StoredState::paddingAfterOnGround, 3);
    state.selectedBlock = getI32LE(in + StoredState::selectedBlock);
    std::memcpy(state.keys, in + StoredState::keys, stateKeyCount);
    state.paddingAfterKeys = in[StoredState::paddingAfterKeys];
    state.screenWidth = getI32LE(in + StoredState::screenWidth);
    state.screenHeight = getI32LE(in + StoredState::screenHeight);
    state.loadSavedWorld = in[StoredState::loadSavedWorld];
    std::memcpy(state.paddingAfterLoadSavedWorld, in + StoredState::paddingAfterLoadSavedWorld, 3);
    state.loadFailed = getI32LE(in + StoredState::loadFailed);
    return state;
}

GameState takeStoredState(const unsigned char in[storedStateSize], const GameState &current)
{
    GameState state = decodeGameState(in);
    state.playerBitmap = current.playerBitmap;
    state.screenWidth = current.screenWidth;
    state.screenHeight = current.screenHeight;
    return state;
}
