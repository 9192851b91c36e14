// The camera rule, case by case.
#include "view/camera.h"

#include "core/truncate.h"
#include "world/block.h"

namespace {

// The bottom 50 pixels of the screen get no cells: the HUD lives there.
constexpr int hudRows = 5;

} // namespace

Camera cameraFor(const GameState &state)
{
    const int width = state.screenWidth, height = state.screenHeight;
    const int halfWidth = width / 2, halfHeight = height / 2;
    const double x = state.playerX, y = state.playerY;
    Camera camera{};

    if (x - halfWidth < 0) {
        camera.horizontal = CameraCase::atStart;
        camera.columnCount = width / cellSize;
        camera.playerScreenX = truncToInt(x);
    } else if (x > worldWidth - halfWidth) {
        // One column fewer than the screen holds: the rightmost slot stays black.
        camera.horizontal = CameraCase::atEnd;
        camera.columnCount = width / cellSize - 1;
        camera.playerScreenX = truncToInt(x - worldWidth + width);
    } else {
        camera.horizontal = CameraCase::centred;
        camera.columnCount = width / cellSize + 1;
        // Taken from the player's position alone, not from the camera's left
        // edge: with a width whose half is not a multiple of 10 the tiles sit
        // a few pixels off, and the picture has always been that way.
        camera.offsetX = truncToInt(x) % cellSize;
        camera.playerScreenX = halfWidth;
    }

    camera.rowCount = height / cellSize - hudRows;
    if (y - halfHeight < 0) {
        camera.vertical = CameraCase::atStart;
        camera.playerScreenY = truncToInt(y);
    } else if (y + halfHeight > worldHeight) {
        camera.vertical = CameraCase::atEnd;
        camera.playerScreenY = truncToInt(y - worldHeight + height);
    } else {
        camera.vertical = CameraCase::centred;
        camera.offsetY = truncToInt(y) % cellSize;
        camera.playerScreenY = halfHeight;
    }
    return camera;
}

int cameraColumn(const Camera &camera, const GameState &state, int slot)
{
    switch (camera.horizontal) {
    case CameraCase::atStart:
        return slot;
    case CameraCase::atEnd:
        return slot - state.screenWidth / cellSize + worldColumns;
    case CameraCase::centred:
        break;
    }
    return truncToInt((static_cast<double>(state.playerX) - state.screenWidth / 2) / 10.0 + slot);
}

int cameraRow(const Camera &camera, const GameState &state, int slot)
{
    switch (camera.vertical) {
    case CameraCase::atStart:
        return slot;
    case CameraCase::atEnd:
        return slot - state.screenHeight / cellSize + worldRows;
    case CameraCase::centred:
        break;
    }
    return truncToInt((static_cast<double>(state.playerY) - state.screenHeight / 2) / 10.0 + slot);
}
