// Timing the frames of a recorded session.
#include "program/timedemo.h"

#include "program/globals.h"
#include "program/main_loop.h"
#include "program/playback.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

using namespace program;

namespace {

// Takes whatever waits in the queue; only a close matters.
bool closeRequested()
{
    ALLEGRO_EVENT event;
    while (al_get_next_event(eventQueue, &event))
        if (event.type == ALLEGRO_EVENT_DISPLAY_CLOSE)
            return true;
    return false;
}

double median(std::vector<double> values)
{
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    if (values.size() % 2 == 1)
        return values[middle];
    const double below = *std::max_element(values.begin(), values.begin() + middle);
    return (below + values[middle]) / 2;
}

} // namespace

std::vector<double> runTimeDemo(const std::vector<ScriptEvent> &events, PlayContext &play)
{
    std::vector<double> frameSeconds;
    ScriptCursor cursor;
    double frameStart = al_get_time();
    while (!closeRequested()) {
        bool ticked = false;
        gameState = playToNextTick(events, cursor, gameState, play, ticked);
        if (!ticked)
            break; // the script has ended
        drawFrame(play, true);
        const double frameEnd = al_get_time();
        frameSeconds.push_back(frameEnd - frameStart);
        frameStart = frameEnd;
    }
    return frameSeconds;
}

std::string formatTimeDemoReport(const std::vector<double> &frameSeconds)
{
    const double total = std::accumulate(frameSeconds.begin(), frameSeconds.end(), 0.0);
    const double fps = total > 0 ? static_cast<double>(frameSeconds.size()) / total : 0.0;
    const double middle = frameSeconds.empty() ? 0.0 : median(frameSeconds);
    const double worst = frameSeconds.empty() ? 0.0 : *std::max_element(frameSeconds.begin(), frameSeconds.end());
    char line[160];
    std::snprintf(line, sizeof line, "timedemo: %zu frames, %.1f s, %.1f fps, median %.1f ms, worst %.1f ms",
                  frameSeconds.size(), total, fps, middle * 1000, worst * 1000);
    return line;
}
