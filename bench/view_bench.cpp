// One frame of the world view, into a memory bitmap and, when a display can
// be created, onto the display with a flip; beside the fill-rate floor of
// the same target: clear, draw one screen-sized bitmap, flip. Also the cost
// of one movement tick.
#include "player/movement.h"
#include "view/world_view.h"
#include "world/terrain.h"

#include "bench_support.h"

#include <allegro5/allegro.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The deep band, where runs of one tile are shortest: the costliest frame.
constexpr float framePlayerX = 3600.0f;
constexpr float framePlayerY = 3500.0f;

struct Scene {
    Block types[blockTypeCount];
    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    ALLEGRO_BITMAP *playerBitmap = nullptr;
    ALLEGRO_BITMAP *screenSized = nullptr;
    ALLEGRO_BITMAP *target = nullptr;
    ALLEGRO_DISPLAY *display = nullptr;

    // Memory bitmaps throughout, or video bitmaps of a new display.
    Scene(int width, int height, bool onDisplay)
    {
        if (!al_is_system_installed())
            al_install_system(ALLEGRO_VERSION_INT, std::atexit);
        if (onDisplay) {
            al_set_new_bitmap_flags(ALLEGRO_VIDEO_BITMAP);
            display = al_create_display(width, height);
            if (!display)
                return;
        } else {
            al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
        }
        createBlockTypes(types);
        fillTerrain(grid.get(), types, 1);
        playerBitmap = filled(10, 20, al_map_rgb(0, 125, 125));
        screenSized = filled(width, height, al_map_rgb(125, 125, 255));
        target = display ? al_get_backbuffer(display) : al_create_bitmap(width, height);
        al_set_target_bitmap(target);
    }

    ~Scene()
    {
        if (display)
            al_destroy_display(display);
        else if (target)
            al_destroy_bitmap(target);
    }

    static ALLEGRO_BITMAP *filled(int width, int height, ALLEGRO_COLOR colour)
    {
        ALLEGRO_BITMAP *bitmap = al_create_bitmap(width, height);
        al_set_target_bitmap(bitmap);
        al_clear_to_color(colour);
        return bitmap;
    }

    void present()
    {
        if (display)
            al_flip_display();
    }
};

void frames(benchmark::State &state, bool onDisplay, bool floorOnly)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    Scene scene(width, height, onDisplay);
    if (onDisplay && !scene.display) {
        state.SkipWithError("no display could be created (run under an X server)");
        for (auto _ : state) {
        }
        return;
    }
    GameState record = newGameState(scene.playerBitmap);
    record.screenWidth = width;
    record.screenHeight = height;
    record.playerX = framePlayerX;
    record.playerY = framePlayerY;
    for (auto _ : state) {
        al_hold_bitmap_drawing(true);
        if (floorOnly) {
            al_clear_to_color(al_map_rgb(0, 0, 0));
            al_draw_bitmap(scene.screenSized, 0, 0, 0);
        } else {
            drawWorldView(scene.grid.get(), record);
        }
        al_hold_bitmap_drawing(false);
        scene.present();
    }
}

void BM_WorldViewMemory(benchmark::State &state) { frames(state, false, false); }
void BM_FloorMemory(benchmark::State &state) { frames(state, false, true); }
void BM_WorldViewDisplay(benchmark::State &state) { frames(state, true, false); }
void BM_FloorDisplay(benchmark::State &state) { frames(state, true, true); }

#define SCREEN_SIZES Args({1440, 900})->Args({1921, 1081})->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(BM_WorldViewMemory)->SCREEN_SIZES;
BENCHMARK(BM_FloorMemory)->SCREEN_SIZES;
BENCHMARK(BM_WorldViewDisplay)->SCREEN_SIZES;
BENCHMARK(BM_FloorDisplay)->SCREEN_SIZES;

void BM_UpdatePlayer(benchmark::State &state)
{
    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    fillTerrain(grid.get(), fakeBlockTypes().data(), 1);
    GameState record = newGameState(nullptr);
    record.playerX = 3000.0f;
    record.playerY = 1190.0f;
    record.keys[keyRight] = 1;
    record.keys[keyUp] = 1;
    int32_t tickCount = 0, jumpEndTick = 0;
    for (auto _ : state) {
        record = updatePlayer(record, grid.get(), tickCount, jumpEndTick);
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_UpdatePlayer);

} // namespace
