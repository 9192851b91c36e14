// The start menu: chooses the display size and New World or Load World, then
// replaces the start window with the game display.
#pragma once

#include "core/game_state.h"
#include "view/presentation.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>

// Waits for clicks in the start window in `display`. On New World or Load
// World it destroys the start window, puts the game display in `display`,
// registered with `queue`, and returns the state with the chosen size (and
// `loadSavedWorld` set for Load World), and in `shown` how the game's picture
// fits the window, at `handScale` or at the desktop's scale. Closing the start window prints
// "Quitting." and ends the process with status 1. A game display that cannot
// be created comes back empty.
GameState runStartMenu(GameState state, ALLEGRO_FONT *font, ALLEGRO_DISPLAY *&display,
                       ALLEGRO_EVENT_QUEUE *queue, ALLEGRO_EVENT event, double handScale, Presentation &shown);

// Draws the whole menu to the current target and flips. Without a font only
// the faces are drawn.
void drawStartMenu(ALLEGRO_BITMAP *menuButtonBitmap, ALLEGRO_FONT *font);

// What the menu has chosen so far.
struct MenuSelection {
    int32_t width;
    int32_t height;
    bool fullScreen;
};

enum class MenuOutcome { stay, newWorld, loadWorld };

// One click at (x, y) in start-window pixels: a resolution button changes
// the selection and prints its line; New World and Load World end the menu.
MenuOutcome clickStartMenu(MenuSelection &selection, int x, int y);

// The game display's size: the selection's, or for full screen the monitor
// rectangle's, which reaches one past its last pixel each way.
void gameDisplaySize(const MenuSelection &selection, const ALLEGRO_MONITOR_INFO &monitor, int32_t &width,
                     int32_t &height);
