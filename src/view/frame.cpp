// The frame: the world, then the HUD when there is a font.
#include "view/frame.h"

#include "view/hud.h"
#include "view/world_view.h"

void drawGameFrame(const Block *grid, const Block blockTypes[blockTypeCount], GameState state, const HudLook &hud)
{
    al_hold_bitmap_drawing(true);
    drawWorldView(grid, state);
    if (hud.font)
        drawHud(state, blockTypes, hud.font, hud.buttonFace, hud.bar);
    al_hold_bitmap_drawing(false);
}
