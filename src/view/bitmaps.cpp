// The one-colour bitmaps the game makes once.
#include "view/bitmaps.h"

#include "core/game_state.h"
#include "view/hud_layout.h"

namespace {
constexpr int hudBarHeight = 10;
}

ALLEGRO_BITMAP *createFilledBitmap(int width, int height, ALLEGRO_COLOR colour)
{
    ALLEGRO_BITMAP *bitmap = al_create_bitmap(width, height);
    if (!bitmap)
        return nullptr; // too large for memory; the caller decides
    al_set_target_bitmap(bitmap);
    al_clear_to_color(colour);
    return bitmap;
}

ALLEGRO_BITMAP *createPlayerBitmap()
{
    return createFilledBitmap(playerWidth, playerHeight, al_map_rgb(0, 125, 125));
}

ALLEGRO_BITMAP *createHudButtonBitmap()
{
    return createFilledBitmap(hudButtonSize, hudButtonSize, al_map_rgb(165, 165, 165));
}

ALLEGRO_BITMAP *createHudBarBitmap(int width) { return createFilledBitmap(width, hudBarHeight, al_map_rgb(0, 0, 0)); }
