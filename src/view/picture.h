// The game's frame shown at a scale: drawn at the game's own size, then put
// on the display scaled and centred, black around it. At actual size the
// frame is drawn on the display itself, as it always was.
#pragma once

#include "view/presentation.h"

#include <allegro5/allegro.h>

struct ScaledPicture {
    ALLEGRO_BITMAP *game = nullptr;     // the frame in the game's pixels
    ALLEGRO_BITMAP *enlarged = nullptr; // a whole multiple of it, for a fractional scale above 1
};

// Makes what the presentation needs, after a change of it; none at actual
// size. False when a bitmap cannot be made: then the frame is not scaled.
bool preparePicture(ScaledPicture &picture, const Presentation &shown);

// Where the frame is drawn: the game bitmap when scaled, else the display.
ALLEGRO_BITMAP *pictureTarget(const ScaledPicture &picture, ALLEGRO_DISPLAY *display);

// Puts a frame drawn on the game bitmap on the display; the caller flips.
void showPicture(const ScaledPicture &picture, const Presentation &shown, ALLEGRO_DISPLAY *display);
