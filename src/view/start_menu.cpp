// The start menu. For now it takes no choices: it closes the start window
// and opens the game display at the size the state carries.
#include "view/start_menu.h"

#include "core/startup.h"

GameState runStartMenu(GameState state, ALLEGRO_FONT *, ALLEGRO_DISPLAY *&display,
                       ALLEGRO_EVENT_QUEUE *queue, ALLEGRO_EVENT)
{
    al_destroy_display(display);
    display = al_create_display(state.screenWidth, state.screenHeight);
    if (!display)
        failStartUp("Failed to create display!\n");
    al_register_event_source(queue, al_get_display_event_source(display));
    return state;
}
