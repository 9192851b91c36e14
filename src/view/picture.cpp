// Scaling the frame. A whole scale repeats pixels: the frame is drawn at the
// game's size and enlarged, so every block is exactly scale by scale times
// its size and every game pixel a square. Any other scale draws the frame
// straight onto the display through a scaling transform, nearest texels
// throughout: a block is as many pixels as its place rounds to, never
// blurred, and the frame costs what a frame of the window's size costs.
#include "view/picture.h"

#include <cmath>

namespace {

bool isWhole(double scale) { return scale == std::floor(scale); }

bool drawsThroughTransform(const Presentation &shown) { return !isActualSize(shown) && !isWhole(shown.scale); }

} // namespace

bool preparePicture(ScaledPicture &picture, const Presentation &shown)
{
    al_destroy_bitmap(picture.game);
    picture = {};
    if (isActualSize(shown) || drawsThroughTransform(shown))
        return true;
    picture.game = al_create_bitmap(shown.gameWidth, shown.gameHeight);
    return picture.game != nullptr;
}

void beginPicture(const ScaledPicture &picture, const Presentation &shown, ALLEGRO_DISPLAY *display)
{
    if (picture.game) {
        al_set_target_bitmap(picture.game);
        return;
    }
    al_set_target_bitmap(al_get_backbuffer(display));
    if (!drawsThroughTransform(shown))
        return;
    al_clear_to_color(al_map_rgb(0, 0, 0));
    ALLEGRO_TRANSFORM toWindow;
    al_identity_transform(&toWindow);
    al_scale_transform(&toWindow, static_cast<float>(shown.shownWidth) / static_cast<float>(shown.gameWidth),
                       static_cast<float>(shown.shownHeight) / static_cast<float>(shown.gameHeight));
    al_translate_transform(&toWindow, static_cast<float>(shown.left), static_cast<float>(shown.top));
    al_use_transform(&toWindow);
    al_set_clipping_rectangle(shown.left, shown.top, shown.shownWidth, shown.shownHeight);
}

void showPicture(const ScaledPicture &picture, const Presentation &shown, ALLEGRO_DISPLAY *display)
{
    al_set_target_bitmap(al_get_backbuffer(display));
    if (!picture.game) {
        ALLEGRO_TRANSFORM identity;
        al_identity_transform(&identity);
        al_use_transform(&identity);
        al_reset_clipping_rectangle();
        return;
    }
    al_clear_to_color(al_map_rgb(0, 0, 0));
    al_draw_scaled_bitmap(picture.game, 0, 0, static_cast<float>(shown.gameWidth),
                          static_cast<float>(shown.gameHeight), static_cast<float>(shown.left),
                          static_cast<float>(shown.top), static_cast<float>(shown.shownWidth),
                          static_cast<float>(shown.shownHeight), 0);
}
