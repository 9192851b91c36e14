// Where the HUD's Save and Load buttons sit, measured from the display's
// right and bottom edges. The HUD draws the faces here and the mouse handler
// takes clicks here, also when no font lets the HUD be drawn.
#pragma once

constexpr int hudButtonSize = 40;      // the faces are 40 by 40...
constexpr int hudButtonFromBottom = 25; // ...but start 25 pixels above the bottom edge
constexpr int loadButtonFromRight = 40;
constexpr int saveButtonFromRight = 100;
