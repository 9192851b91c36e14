// The camera rule: which world cell lies under which screen slot. The world
// view draws with it and the mouse handler inverts it, so both share it.
// Pure arithmetic, no drawing.
#pragma once

#include "core/game_state.h"

// Per axis: the view is stopped at the world's start (left or top), stopped
// at its end (right or bottom), or centred on the player.
enum class CameraCase { atStart, atEnd, centred };

struct Camera {
    CameraCase horizontal;
    CameraCase vertical;
    int columnCount;   // screen columns of cells drawn
    int rowCount;      // screen rows of cells drawn; the bottom 50 pixels are the HUD's
    int offsetX;       // sub-cell shift of the tiles in the centred cases, else 0
    int offsetY;
    int playerScreenX; // where the player box is drawn
    int playerScreenY;
};

Camera cameraFor(const GameState &state);

// The world column under screen slot `slot` (10-pixel slots from the left
// edge), and the world row under a slot from the top edge. Either may lie
// outside the grid.
int cameraColumn(const Camera &camera, const GameState &state, int slot);
int cameraRow(const Camera &camera, const GameState &state, int slot);
