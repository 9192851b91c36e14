// The HUD on real pixels of a memory bitmap, away from the text: the bar,
// the selection marker, and the two button faces clipped at the bottom.
#include "view/hud.h"

#include "test_support.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <gtest/gtest.h>

#include <limits>

namespace {

const Rgb background = {200, 0, 200}; // what the HUD leaves undrawn shows through
const Rgb black = {0, 0, 0};
const Rgb grey = {165, 165, 165};
const Rgb markerColours[] = {{160, 100, 25}, {0, 255, 0}, {125, 125, 125}, {255, 255, 0}};

class Hud : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        startAllegroInMemory(types);
        font = al_create_builtin_font();
        face = filled(40, 40, al_map_rgb(165, 165, 165));
    }

    static ALLEGRO_BITMAP *filled(int width, int height, ALLEGRO_COLOR colour)
    {
        ALLEGRO_BITMAP *bitmap = al_create_bitmap(width, height);
        al_set_target_bitmap(bitmap);
        al_clear_to_color(colour);
        return bitmap;
    }

    // Draws the HUD for `state` over the background and keeps the picture.
    void draw(const GameState &state)
    {
        width = state.screenWidth;
        height = state.screenHeight;
        ALLEGRO_BITMAP *bar = filled(width, 10, al_map_rgb(0, 0, 0));
        if (target)
            al_destroy_bitmap(target);
        target = filled(width, height, al_map_rgb(background.r, background.g, background.b));
        al_hold_bitmap_drawing(true);
        drawHud(state, types, font, face, bar);
        al_hold_bitmap_drawing(false);
        al_destroy_bitmap(bar);
    }

    ~Hud() override
    {
        if (target)
            al_destroy_bitmap(target);
    }

    Rgb at(int x, int y) const { return pixelOf(target, x, y); }

    // Every pixel of the rectangle has the colour.
    void expectArea(int left, int top, int w, int h, Rgb colour, const char *what) const
    {
        for (int y = top; y < top + h; y++)
            for (int x = left; x < left + w; x++)
                if (!(at(x, y) == colour)) {
                    ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << at(x, y) << ", expected "
                                  << colour;
                    return;
                }
    }

    static GameState stateFor(int w, int h, int32_t selected)
    {
        GameState state = newGameState(nullptr);
        state.screenWidth = w;
        state.screenHeight = h;
        state.selectedBlock = selected;
        return state;
    }

    static Block types[blockTypeCount];
    static ALLEGRO_FONT *font;
    static ALLEGRO_BITMAP *face;
    ALLEGRO_BITMAP *target = nullptr;
    int width = 0, height = 0;
};

Block Hud::types[blockTypeCount];
ALLEGRO_FONT *Hud::font = nullptr;
ALLEGRO_BITMAP *Hud::face = nullptr;

TEST_F(Hud, BarAndButtonFacesFollowTheBottomRightCorner)
{
    for (auto [w, h] : {std::pair{1440, 900}, {1200, 700}, {1921, 1081}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        draw(stateFor(w, h, 1));
        expectArea(0, h - 60, w, 10, black, "bar");
        expectArea(0, h - 61, w, 1, background, "above the bar");
        // The faces show their top 25 rows; their labels sit in the middle.
        for (int faceX : {w - 40, w - 100}) {
            expectArea(faceX, h - 25, 40, 1, grey, "face top row");
            expectArea(faceX, h - 25, 4, 25, grey, "face left edge");
            expectArea(faceX + 36, h - 25, 4, 25, grey, "face right edge");
            expectArea(faceX, h - 26, 40, 1, background, "above the face");
        }
        expectArea(w - 60, h - 25, 20, 25, background, "gap between the faces");
        expectArea(w - 101, h - 25, 1, 25, background, "left of Save");
    }
}

TEST_F(Hud, TheMarkerStandsBeforeTheSelectedCount)
{
    const int h = 900;
    const std::pair<int, int> places[] = {{138, h - 38}, {238, h - 38}, {138, h - 18}, {238, h - 18}};
    for (int32_t selected = 1; selected <= 4; selected++) {
        SCOPED_TRACE(testing::Message() << "selected " << selected);
        draw(stateFor(1440, h, selected));
        for (int slot = 0; slot < 4; slot++) {
            auto [x, y] = places[slot];
            expectArea(x, y, 10, 10, slot == selected - 1 ? markerColours[slot] : background, "marker place");
        }
    }
    for (int32_t selected : {0, 5, -1, std::numeric_limits<int32_t>::max()}) {
        draw(stateFor(1440, h, selected));
        for (auto [x, y] : places)
            expectArea(x, y, 10, 10, background, "no marker");
    }
}

TEST_F(Hud, TextsAreDrawnWhiteInTheirRows)
{
    draw(stateFor(1440, 900, 1));
    auto hasWhite = [&](int left, int top, int w, int h) {
        for (int y = top; y < top + h; y++)
            for (int x = left; x < left + w; x++)
                if (at(x, y) == Rgb{255, 255, 255})
                    return true;
        return false;
    };
    for (auto [x, y] : {std::pair{10, 860}, {10, 880}, {150, 860}, {250, 860}, {150, 880}, {250, 880}})
        EXPECT_TRUE(hasWhite(x, y, 60, 12)) << "no text at " << x << "," << y;
    EXPECT_FALSE(hasWhite(0, 0, 1440, 840));
}

TEST_F(Hud, ValuesFarOutsideTheWorldAreCutNotOverflowed)
{
    GameState state = stateFor(1440, 900, 1);
    state.playerX = std::numeric_limits<float>::max();
    state.playerY = -std::numeric_limits<float>::max();
    for (int32_t &count : state.inventory)
        count = std::numeric_limits<int32_t>::min();
    draw(state);
    expectArea(0, 840, 1440, 10, black, "bar");
}

} // namespace
