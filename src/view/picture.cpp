// Scaling the frame: whole scales by repeating pixels, so every block is
// exactly scale by scale times its size; other scales by repeating up to the
// next whole multiple and smoothing down from there, so blocks stay even.
#include "view/picture.h"

#include <cmath>

namespace {

void destroyPicture(ScaledPicture &picture)
{
    al_destroy_bitmap(picture.game);
    al_destroy_bitmap(picture.enlarged);
    picture = {};
}

ALLEGRO_BITMAP *createBitmapWithFlags(int width, int height, int flags)
{
    const int before = al_get_new_bitmap_flags();
    al_set_new_bitmap_flags(before | flags);
    ALLEGRO_BITMAP *bitmap = al_create_bitmap(width, height);
    al_set_new_bitmap_flags(before);
    return bitmap;
}

int wholeMultipleAbove(const Presentation &shown) { return static_cast<int>(std::ceil(shown.scale)); }

bool isWhole(double scale) { return scale == std::floor(scale); }

} // namespace

bool preparePicture(ScaledPicture &picture, const Presentation &shown)
{
    destroyPicture(picture);
    if (isActualSize(shown))
        return true;
    const bool shrinks = shown.scale < 1;
    picture.game = createBitmapWithFlags(shown.gameWidth, shown.gameHeight, shrinks ? ALLEGRO_MIN_LINEAR : 0);
    if (!shrinks && !isWhole(shown.scale)) {
        const int multiple = wholeMultipleAbove(shown);
        picture.enlarged =
            createBitmapWithFlags(shown.gameWidth * multiple, shown.gameHeight * multiple, ALLEGRO_MIN_LINEAR);
        if (!picture.enlarged)
            destroyPicture(picture);
    }
    if (picture.game)
        return true;
    destroyPicture(picture);
    return false;
}

ALLEGRO_BITMAP *pictureTarget(const ScaledPicture &picture, ALLEGRO_DISPLAY *display)
{
    return picture.game ? picture.game : al_get_backbuffer(display);
}

void showPicture(const ScaledPicture &picture, const Presentation &shown, ALLEGRO_DISPLAY *display)
{
    if (!picture.game)
        return;
    ALLEGRO_BITMAP *source = picture.game;
    if (picture.enlarged) {
        const int multiple = wholeMultipleAbove(shown);
        al_set_target_bitmap(picture.enlarged);
        al_draw_scaled_bitmap(picture.game, 0, 0, shown.gameWidth, shown.gameHeight, 0, 0,
                              static_cast<float>(shown.gameWidth * multiple),
                              static_cast<float>(shown.gameHeight * multiple), 0);
        source = picture.enlarged;
    }
    al_set_target_bitmap(al_get_backbuffer(display));
    al_clear_to_color(al_map_rgb(0, 0, 0));
    al_draw_scaled_bitmap(source, 0, 0, static_cast<float>(al_get_bitmap_width(source)),
                          static_cast<float>(al_get_bitmap_height(source)), static_cast<float>(shown.left),
                          static_cast<float>(shown.top), static_cast<float>(shown.shownWidth),
                          static_cast<float>(shown.shownHeight), 0);
}
