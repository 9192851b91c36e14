// The world view. The picture is one 10 by 10 tile per visible cell, as the
// camera places it; to keep a frame well inside a tick, each vertical run of
// cells that share a tile is drawn as one stretched draw of that tile. The
// tiles are plain colours, so the pixels are the same.
#include "view/world_view.h"

#include "view/camera.h"

#include <allegro5/allegro.h>

namespace {

// Draws `count` cells of one tile stacked downwards from (screenX, screenY).
void drawTileRun(ALLEGRO_BITMAP *tile, int screenX, int screenY, int count)
{
    if (count == 1) {
        al_draw_bitmap(tile, static_cast<float>(screenX), static_cast<float>(screenY), 0);
        return;
    }
    al_draw_scaled_bitmap(tile, 0, 0, tileSize, tileSize, static_cast<float>(screenX),
                          static_cast<float>(screenY), tileSize, static_cast<float>(tileSize * count), 0);
}

void drawColumn(const Block *grid, const Camera &camera, const GameState &state, int column, int screenX)
{
    ALLEGRO_BITMAP *runTile = nullptr;
    int runStartY = 0, runLength = 0, runLastRow = 0;
    for (int i = 0; i < camera.rowCount; i++) {
        int row = cameraRow(camera, state, i);
        if (row < 0 || row >= worldRows)
            continue; // only a display taller than the world reaches past it
        ALLEGRO_BITMAP *tile = grid[cellIndex(column, row)].bitmap;
        int screenY = tileSize * i - camera.offsetY;
        if (tile == runTile && row == runLastRow + 1) {
            runLength++;
        } else {
            if (runLength > 0)
                drawTileRun(runTile, screenX, runStartY, runLength);
            runTile = tile;
            runStartY = screenY;
            runLength = 1;
        }
        runLastRow = row;
    }
    if (runLength > 0)
        drawTileRun(runTile, screenX, runStartY, runLength);
}

} // namespace

void drawWorldView(const Block *grid, GameState state)
{
    al_clear_to_color(al_map_rgb(0, 0, 0));
    Camera camera = cameraFor(state);
    for (int j = 0; j < camera.columnCount; j++) {
        int column = cameraColumn(camera, state, j);
        // The centred rule reaches column 720 at exactly one player position;
        // that slot is left black rather than read past the grid.
        if (column < 0 || column >= worldColumns)
            continue;
        drawColumn(grid, camera, state, column, tileSize * j - camera.offsetX);
    }
    al_draw_bitmap(state.playerBitmap, static_cast<float>(camera.playerScreenX),
                   static_cast<float>(camera.playerScreenY), 0);
}
