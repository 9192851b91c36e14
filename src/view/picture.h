// The game's frame shown at a scale, centred, black around it. At actual
// size the frame is drawn on the display itself, as it always was.
#pragma once

#include "view/presentation.h"

#include <allegro5/allegro.h>

struct ScaledPicture {
    // The frame in the game's pixels, for a whole scale; none at actual size
    // and at a fractional scale, where the frame is drawn on the display
    // through a scaling transform.
    ALLEGRO_BITMAP *game = nullptr;
};

// Makes what the presentation needs, after a change of it. False when a
// bitmap cannot be made: then the frame is not scaled.
bool preparePicture(ScaledPicture &picture, const Presentation &shown);

// Makes the place the frame is drawn in game pixels the target bitmap.
void beginPicture(const ScaledPicture &picture, const Presentation &shown, ALLEGRO_DISPLAY *display);

// Puts the frame drawn since beginPicture on the display; the caller flips.
void showPicture(const ScaledPicture &picture, const Presentation &shown, ALLEGRO_DISPLAY *display);
