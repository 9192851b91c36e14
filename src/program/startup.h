// Start-up: the library, the start window, input, the timer, the HUD font,
// the player, a new game's record and the start menu, in that order.
#pragma once

#include <allegro5/allegro_font.h>

#include <cstdint>
#include <string>
#include <vector>

// The game's own name and version; the library titles every window with it.
constexpr const char *gameTitle = "Clodmere 0.68 - Since because pickles";

constexpr const char *windowsFontPath = "C:\\Windows\\Fonts\\Arial.ttf";
constexpr const char *fallbackFontPath = "./data/arial.ttf";
constexpr int hudFontSize = 12;

// Where the HUD font is looked for after the two paths the game has always
// tried, so that a game started from any folder finds it: the installed
// game's data folder, then the data folder beside the program.
std::vector<std::string> moreHudFontPaths();

// The HUD font from the first of its places that has one; none when no
// place has. With `report` the search prints its console lines: the Windows
// path's miss, and which other file it loaded.
ALLEGRO_FONT *loadHudFontFromItsPlaces(bool report);

constexpr int startWindowWidth = 640;
constexpr int startWindowHeight = 240;

// Fills in every program-wide value. A failure prints its line and ends the
// process with status 1, leaving what exists to the library's exit handler.
// `handScale` is the scale of the picture set by hand, 0 for the desktop's.
void startUp(double handScale);

// The same for playing a session back: no start window and no menu, the
// game display at the session's size straight away, and no live keyboard or
// mouse on the queue. For a timedemo the display does not wait for the
// screen's refresh.
void startUpForPlayback(int32_t screenWidth, int32_t screenHeight, bool timeDemo);

// Prints a start-up failure line and ends the process with status 1.
[[noreturn]] void failStartUp(const char *line);
