// The heads-up display, drawn in a fixed order.
#include "view/hud.h"

#include "view/hud_layout.h"

#include <cstdio>

namespace {

// Each line is formatted into a buffer this long; a position far outside
// the world (only a damaged save holds one) is cut, not overflowed.
constexpr int hudLineLength = 28;

constexpr int barFromBottom = 60;
constexpr int upperLineFromBottom = 40;
constexpr int lowerLineFromBottom = 20;
constexpr int positionColumnX = 10;
constexpr int leftCountX = 150;
constexpr int rightCountX = 250;
constexpr int markerBeforeText = 12; // the marker sits in front of the count's digit...
constexpr int markerBelowText = 2;   // ...and a little below the text's top
constexpr int labelBelowFace = 5;

// One white, left-aligned line: a label and a value, formatted to size.
template <typename Value>
void drawValue(ALLEGRO_FONT *font, int x, int y, const char *format, Value value)
{
    char line[hudLineLength];
    std::snprintf(line, sizeof line, format, value);
    al_draw_text(font, al_map_rgb(255, 255, 255), static_cast<float>(x), static_cast<float>(y), ALLEGRO_ALIGN_LEFT,
                 line);
}

void drawButtonLabel(ALLEGRO_FONT *font, int faceX, int faceY, const char *label)
{
    al_draw_text(font, al_map_rgb(0, 0, 0), static_cast<float>(faceX + hudButtonSize / 2),
                 static_cast<float>(faceY + labelBelowFace), ALLEGRO_ALIGN_CENTRE, label);
}

} // namespace

void drawHud(GameState state, const Block blockTypes[blockTypeCount], ALLEGRO_FONT *font,
             ALLEGRO_BITMAP *buttonFace, ALLEGRO_BITMAP *bar)
{
    const int width = state.screenWidth, height = state.screenHeight;
    const int upperY = height - upperLineFromBottom, lowerY = height - lowerLineFromBottom;

    al_draw_bitmap(bar, 0, static_cast<float>(height - barFromBottom), 0);
    // Floats go to the format as doubles: one decimal of the stored value.
    drawValue(font, positionColumnX, upperY, "Player X: %.1f", static_cast<double>(state.playerX));
    drawValue(font, positionColumnX, lowerY, "Player Y: %.1f", static_cast<double>(state.playerY));
    drawValue(font, leftCountX, upperY, "1) Dirt: %d", state.inventory[0]);
    drawValue(font, rightCountX, upperY, "2) Grass: %d", state.inventory[1]);
    drawValue(font, leftCountX, lowerY, "3) Stone: %d", state.inventory[2]);
    drawValue(font, rightCountX, lowerY, "4) Gold: %d", state.inventory[3]);

    // Slots 1 to 4 sit left-right, top-bottom; any other selection, which
    // only a damaged save holds, shows no marker.
    if (state.selectedBlock >= 1 && state.selectedBlock <= inventorySlots) {
        const int slot = state.selectedBlock - 1;
        const int textX = slot % 2 == 0 ? leftCountX : rightCountX;
        const int textY = slot < 2 ? upperY : lowerY;
        al_draw_bitmap(blockTypes[blockDirt + slot].bitmap, static_cast<float>(textX - markerBeforeText),
                       static_cast<float>(textY + markerBelowText), 0);
    }

    // Both faces, then both labels: each label lies on its own face only,
    // so the picture is that of face, label, face, label, and the held
    // drawing gives each kind one batch.
    const int faceY = height - hudButtonFromBottom;
    const int loadX = width - loadButtonFromRight, saveX = width - saveButtonFromRight;
    al_draw_bitmap(buttonFace, static_cast<float>(loadX), static_cast<float>(faceY), 0);
    al_draw_bitmap(buttonFace, static_cast<float>(saveX), static_cast<float>(faceY), 0);
    drawButtonLabel(font, loadX, faceY, "Load");
    drawButtonLabel(font, saveX, faceY, "Save");
}
