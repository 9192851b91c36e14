// The whole frame as the game draws it (world view, player, HUD with the
// font, in one held-drawing section, then the flip), on a display and into
// a memory bitmap as the replay tool's --frame does, at every size the start
// menu offers and in the full-screen window of a 1920x1080 monitor, with the
// player at the world's start, in the centred deep band and at its end.
// Each is reported beside the floor of the same target and size, measured in
// the same run: clear, draw one screen-sized bitmap, flip. The frame shown at
// a scale is reported beside the floor at the window's real size. Also the
// cost of one movement tick.
#include "player/movement.h"
#include "view/bitmaps.h"
#include "view/frame.h"
#include "view/picture.h"
#include "world/terrain.h"

#include "bench_support.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_ttf.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

struct Place {
    float x, y;
};
// The world's start (both edge cases), the deep band where runs of one tile
// are shortest (centred both ways), the world's end (both edge cases).
const Place places[] = {{30.0f, 30.0f}, {3600.0f, 3500.0f}, {7187.5f, 4770.0f}};

constexpr int floorFrames = 15;

struct Scene {
    Block types[blockTypeCount];
    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    ALLEGRO_BITMAP *playerBitmap = nullptr;
    ALLEGRO_BITMAP *screenSized = nullptr;
    ALLEGRO_BITMAP *target = nullptr;
    ALLEGRO_DISPLAY *display = nullptr;
    HudLook hud{};

    // Memory bitmaps throughout, or video bitmaps of a new display, which
    // may be a window of another size than the game's.
    Scene(int width, int height, bool onDisplay, int windowWidth = 0, int windowHeight = 0)
    {
        windowWidth = windowWidth ? windowWidth : width;
        windowHeight = windowHeight ? windowHeight : height;
        if (!al_is_system_installed())
            al_install_system(ALLEGRO_VERSION_INT, std::atexit);
        al_init_font_addon();
        al_init_ttf_addon();
        if (onDisplay) {
            al_set_new_bitmap_flags(ALLEGRO_VIDEO_BITMAP);
            display = al_create_display(windowWidth, windowHeight);
            if (!display)
                return;
        } else {
            al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
        }
        createBlockTypes(types);
        fillTerrain(grid.get(), types, 1);
        playerBitmap = createPlayerBitmap();
        screenSized = createFilledBitmap(windowWidth, windowHeight, al_map_rgb(125, 125, 255));
        hud = {al_load_font(CLODMERE_DATA_DIR "/arial.ttf", 12, 0), createHudButtonBitmap(), createHudBarBitmap(width)};
        target = display ? al_get_backbuffer(display) : al_create_bitmap(width, height);
        al_set_target_bitmap(target);
    }

    ~Scene()
    {
        if (hud.font)
            al_destroy_font(hud.font);
        if (display)
            al_destroy_display(display);
        else if (target)
            al_destroy_bitmap(target);
    }

    void present()
    {
        if (display)
            al_flip_display();
    }

    void drawFloor()
    {
        al_hold_bitmap_drawing(true);
        al_clear_to_color(al_map_rgb(0, 0, 0));
        al_draw_bitmap(screenSized, 0, 0, 0);
        al_hold_bitmap_drawing(false);
        present();
    }
};

double secondsOf(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The floor's median first, then each frame timed as drawFrame draws it
// with the player at `place`; the frame's median is reported beside the
// floor with their ratio.
void framesAgainstFloor(benchmark::State &state, Scene &scene, int place,
                        const std::function<void(const GameState &)> &drawFrame)
{
    std::vector<double> floorSeconds;
    for (int i = 0; i < floorFrames; i++)
        floorSeconds.push_back(secondsOf([&] { scene.drawFloor(); }));

    GameState record = newGameState(scene.playerBitmap);
    record.screenWidth = static_cast<int>(state.range(0));
    record.screenHeight = static_cast<int>(state.range(1));
    record.playerX = places[place].x;
    record.playerY = places[place].y;
    std::vector<double> frameSeconds;
    for (auto _ : state) {
        const double seconds = secondsOf([&] {
            drawFrame(record);
            scene.present();
        });
        state.SetIterationTime(seconds);
        frameSeconds.push_back(seconds);
    }
    const double floor = median(floorSeconds), frame = median(frameSeconds);
    state.counters["frame_ms"] = frame * 1000;
    state.counters["floor_ms"] = floor * 1000;
    state.counters["x_floor"] = frame / floor;
}

void skipWithoutDisplay(benchmark::State &state, const char *why)
{
    state.SkipWithError(why);
    for (auto _ : state) {
    }
}

// Frames of the game at its own size, on a display or in memory.
void wholeFrames(benchmark::State &state, bool onDisplay)
{
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), onDisplay);
    if (onDisplay && !scene.display)
        return skipWithoutDisplay(state, "no display could be created (run under an X server)");
    framesAgainstFloor(state, scene, static_cast<int>(state.range(2)), [&](const GameState &record) {
        drawGameFrame(scene.grid.get(), scene.types, record, scene.hud);
    });
}

void BM_WholeFrameOnDisplay(benchmark::State &state) { wholeFrames(state, true); }
void BM_WholeFrameInMemory(benchmark::State &state) { wholeFrames(state, false); }

void frameCases(benchmark::internal::Benchmark *benchmark)
{
    benchmark->ArgNames({"width", "height", "place"});
    for (auto size : {std::pair{1200, 700}, {1440, 900}, {1680, 1050}, {1921, 1081}})
        for (int place = 0; place < 3; place++)
            benchmark->Args({size.first, size.second, place});
    benchmark->Unit(benchmark::kMillisecond)->UseManualTime();
}
BENCHMARK(BM_WholeFrameOnDisplay)->Apply(frameCases);
BENCHMARK(BM_WholeFrameInMemory)->Apply(frameCases);

// The frame drawn at the game's size and shown scaled in a window of another
// size: doubled on a high-density screen, 1.5 by hand, and the largest size
// shrunk into a desktop with a panel. The scale is given in hundredths.
void BM_ScaledFrameOnDisplay(benchmark::State &state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const double scale = static_cast<double>(state.range(2)) / 100;
    const int windowWidth = static_cast<int>(std::lround(width * scale));
    const int windowHeight = static_cast<int>(std::lround(height * scale));
    Scene scene(width, height, true, windowWidth, windowHeight);
    ScaledPicture picture;
    const Presentation shown = presentGame(width, height, windowWidth, windowHeight, scale);
    if (!scene.display || !preparePicture(picture, shown))
        return skipWithoutDisplay(state, "no display or picture could be created (run under an X server)");
    framesAgainstFloor(state, scene, 1, [&](const GameState &record) {
        beginPicture(picture, shown, scene.display);
        drawGameFrame(scene.grid.get(), scene.types, record, scene.hud);
        showPicture(picture, shown, scene.display);
    });
    preparePicture(picture, presentGame(width, height, width, height, 1)); // releases its bitmaps
}
BENCHMARK(BM_ScaledFrameOnDisplay)
    ->ArgNames({"width", "height", "scale_percent"})
    ->Args({1200, 700, 200})
    ->Args({1200, 700, 150})
    ->Args({1680, 1050, 97})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

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
