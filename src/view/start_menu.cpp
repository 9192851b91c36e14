// The start menu, with its six buttons and their click areas.
#include "view/start_menu.h"

#include "view/bitmaps.h"
#include "view/game_window.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int menuButtonWidth = 80;
constexpr int menuButtonHeight = 40;
constexpr int labelBelowFaceTop = 13;
constexpr float headingCentreX = 320;
constexpr float resolutionHeadingY = 10;
constexpr float worldHeadingY = 120;

enum class ButtonEffect { resolution, fullScreen, newWorld, loadWorld };

struct MenuButton {
    const char *label;
    int faceX, faceY;
    // A click counts strictly inside these bounds. Load World's area stops
    // ten pixels short of its face's right edge, as it always has.
    int clickLeft, clickRight, clickTop, clickBottom;
    ButtonEffect effect;
    int32_t width, height; // for the resolution buttons
};

const MenuButton menuButtons[] = {
    {"1200x700", 50, 50, 50, 130, 50, 90, ButtonEffect::resolution, 1200, 700},
    {"1440x900", 200, 50, 200, 280, 50, 90, ButtonEffect::resolution, 1440, 900},
    {"1680x1050", 350, 50, 350, 430, 50, 90, ButtonEffect::resolution, 1680, 1050},
    {"Fullscreen", 500, 50, 500, 580, 50, 90, ButtonEffect::fullScreen, 0, 0},
    {"New World", 215, 160, 215, 295, 160, 200, ButtonEffect::newWorld, 0, 0},
    {"Load World", 340, 160, 340, 410, 160, 200, ButtonEffect::loadWorld, 0, 0},
};

bool isInside(const MenuButton &button, int x, int y)
{
    return x > button.clickLeft && x < button.clickRight && y > button.clickTop && y < button.clickBottom;
}

// The library is shut down here, not by its exit handler: by then the GL
// driver may have run its own exit handlers, and closing the window after
// them reads memory the driver has freed.
[[noreturn]] void quitFromMenu()
{
    std::printf("Quitting.\n");
    al_uninstall_system();
    std::exit(1);
}

// Waits for the next event; closing the start window ends the program.
void waitForMenuEvent(ALLEGRO_EVENT_QUEUE *queue, ALLEGRO_EVENT &event)
{
    al_wait_for_event(queue, &event);
    if (event.type == ALLEGRO_EVENT_DISPLAY_CLOSE)
        quitFromMenu();
}

} // namespace

MenuOutcome clickStartMenu(MenuSelection &selection, int x, int y)
{
    for (const MenuButton &button : menuButtons) {
        if (!isInside(button, x, y))
            continue;
        switch (button.effect) {
        case ButtonEffect::resolution:
            selection = {button.width, button.height, false};
            std::printf("Selected Resolution: %s!\n", button.label);
            return MenuOutcome::stay;
        case ButtonEffect::fullScreen:
            selection.fullScreen = true;
            std::printf("Selected Resolution: Fullscreen!\n");
            return MenuOutcome::stay;
        case ButtonEffect::newWorld:
            return MenuOutcome::newWorld;
        case ButtonEffect::loadWorld:
            return MenuOutcome::loadWorld;
        }
    }
    return MenuOutcome::stay;
}

void gameDisplaySize(const MenuSelection &selection, const ALLEGRO_MONITOR_INFO &monitor, int32_t &width,
                     int32_t &height)
{
    width = selection.width;
    height = selection.height;
    if (selection.fullScreen) {
        // One pixel more than the monitor each way: the game has always
        // opened its frameless window at x2 - x1 + 1 by y2 - y1 + 1.
        width = monitor.x2 - monitor.x1 + 1;
        height = monitor.y2 - monitor.y1 + 1;
    }
}

void drawStartMenu(ALLEGRO_BITMAP *menuButtonBitmap, ALLEGRO_FONT *font)
{
    al_clear_to_color(al_map_rgb(0, 0, 0));
    const ALLEGRO_COLOR white = al_map_rgb(255, 255, 255), black = al_map_rgb(0, 0, 0);
    if (font) {
        al_draw_text(font, white, headingCentreX, resolutionHeadingY, ALLEGRO_ALIGN_CENTRE, "Resolution Selection");
        al_draw_text(font, white, headingCentreX, worldHeadingY, ALLEGRO_ALIGN_CENTRE, "New Game or Load?");
    }
    for (const MenuButton &button : menuButtons)
        al_draw_bitmap(menuButtonBitmap, static_cast<float>(button.faceX), static_cast<float>(button.faceY), 0);
    if (font) {
        for (const MenuButton &button : menuButtons)
            al_draw_text(font, black, static_cast<float>(button.faceX + menuButtonWidth / 2),
                         static_cast<float>(button.faceY + labelBelowFaceTop), ALLEGRO_ALIGN_CENTRE, button.label);
    }
    al_flip_display();
}

GameState runStartMenu(GameState state, ALLEGRO_FONT *font, ALLEGRO_DISPLAY *&display,
                       ALLEGRO_EVENT_QUEUE *queue, ALLEGRO_EVENT event, double handScale, Presentation &shown)
{
    ALLEGRO_BITMAP *menuButtonBitmap =
        createFilledBitmap(menuButtonWidth, menuButtonHeight, al_map_rgb(165, 165, 165));
    // A monitor that cannot be queried leaves Fullscreen at the chosen size.
    ALLEGRO_MONITOR_INFO monitor = {0, 0, state.screenWidth - 1, state.screenHeight - 1};
    bool monitorKnown = al_get_monitor_info(0, &monitor);
    al_set_target_bitmap(al_get_backbuffer(display));

    drawStartMenu(menuButtonBitmap, font);
    waitForMenuEvent(queue, event);

    MenuSelection selection = {state.screenWidth, state.screenHeight, false};
    MenuOutcome outcome = MenuOutcome::stay;
    for (;;) {
        if (event.type == ALLEGRO_EVENT_MOUSE_BUTTON_DOWN)
            outcome = clickStartMenu(selection, event.mouse.x, event.mouse.y);
        if (outcome != MenuOutcome::stay)
            break;
        // A burst of events costs one redraw.
        if (al_is_event_queue_empty(queue))
            drawStartMenu(menuButtonBitmap, font);
        waitForMenuEvent(queue, event);
    }
    if (outcome == MenuOutcome::loadWorld)
        state.loadSavedWorld = 1;

    al_destroy_bitmap(menuButtonBitmap);
    // The game's window will wear the frame the start window wears.
    const ScreenFrame frame = windowFrame(display);
    al_destroy_display(display);
    if (!monitorKnown)
        selection.fullScreen = false;
    gameDisplaySize(selection, monitor, state.screenWidth, state.screenHeight);

    display = openGameWindow(state.screenWidth, state.screenHeight, selection.fullScreen, monitor, frame, handScale,
                             shown);
    if (display) {
        al_register_event_source(queue, al_get_display_event_source(display));
        // A size the window manager imposed before the queue listened is
        // taken up here; later ones come as resize events.
        if (windowSizeDiffers(display))
            shown = refitGameWindow(display, shown);
    }
    return state;
}
