// Reading scripts strictly (a line is an event or an error) and writing them.
#include "program/script.h"

#include <allegro5/keycodes.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

constexpr int maxMouseButton = 32;

// Parses a whole decimal integer within [low, high]; nothing else may follow.
bool parseInteger(const std::string &text, int64_t low, int64_t high, int64_t &value)
{
    if (text.empty() || text.size() > 20)
        return false;
    for (size_t i = 0; i < text.size(); i++) {
        bool sign = i == 0 && text[i] == '-';
        if (!sign && (text[i] < '0' || text[i] > '9'))
            return false;
    }
    errno = 0;
    char *end = nullptr;
    long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || end == text.c_str())
        return false;
    if (parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

ALLEGRO_EVENT blankEvent(ALLEGRO_EVENT_TYPE type)
{
    ALLEGRO_EVENT event;
    std::memset(&event, 0, sizeof event);
    event.type = type;
    return event;
}

} // namespace

bool parseScriptLine(const std::string &rawLine, ScriptEvent &event, bool &isEvent, std::string &problem)
{
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    std::istringstream words(line);
    std::vector<std::string> tokens;
    for (std::string token; words >> token;)
        tokens.push_back(token);

    isEvent = false;
    if (tokens.empty() || tokens[0][0] == '#')
        return true;
    isEvent = true;
    event.repeat = 1;
    const std::string &verb = tokens[0];
    const size_t arguments = tokens.size() - 1;

    if (verb == "down" || verb == "up") {
        int64_t keycode;
        if (arguments != 1 || !parseInteger(tokens[1], 0, ALLEGRO_KEY_MAX - 1, keycode)) {
            problem = "'" + verb + "' takes one key code from 0 to " + std::to_string(ALLEGRO_KEY_MAX - 1);
            return false;
        }
        event.event = blankEvent(verb == "down" ? ALLEGRO_EVENT_KEY_DOWN : ALLEGRO_EVENT_KEY_UP);
        event.event.keyboard.keycode = static_cast<int>(keycode);
        return true;
    }
    if (verb == "click") {
        int64_t x, y, button;
        if (arguments != 3 || !parseInteger(tokens[1], INT32_MIN, INT32_MAX, x) ||
            !parseInteger(tokens[2], INT32_MIN, INT32_MAX, y) || !parseInteger(tokens[3], 1, maxMouseButton, button)) {
            problem = "'click' takes X Y B: two pixel positions and a button from 1 to " +
                      std::to_string(maxMouseButton);
            return false;
        }
        event.event = blankEvent(ALLEGRO_EVENT_MOUSE_BUTTON_DOWN);
        event.event.mouse.x = static_cast<int>(x);
        event.event.mouse.y = static_cast<int>(y);
        event.event.mouse.button = static_cast<unsigned>(button);
        return true;
    }
    if (verb == "tick") {
        int64_t count = 1;
        if (arguments > 1 || (arguments == 1 && !parseInteger(tokens[1], 0, maxTicksPerLine, count))) {
            problem = "'tick' takes an optional count from 0 to " + std::to_string(maxTicksPerLine);
            return false;
        }
        event.event = blankEvent(ALLEGRO_EVENT_TIMER);
        event.repeat = count;
        return true;
    }
    problem = "unknown event '" + verb + "' (expected down, up, click or tick)";
    return false;
}

bool parseScript(std::istream &input, std::vector<ScriptEvent> &events, ScriptError &error)
{
    std::string line;
    for (int number = 1; std::getline(input, line); number++) {
        ScriptEvent event;
        bool isEvent = false;
        std::string problem;
        if (!parseScriptLine(line, event, isEvent, problem)) {
            error = {number, problem};
            return false;
        }
        if (isEvent)
            events.push_back(event);
    }
    if (input.bad()) {
        error = {0, "cannot read the script"};
        return false;
    }
    return true;
}

std::string formatScriptEvent(const ALLEGRO_EVENT &event)
{
    switch (event.type) {
    case ALLEGRO_EVENT_KEY_DOWN:
        return "down " + std::to_string(event.keyboard.keycode);
    case ALLEGRO_EVENT_KEY_UP:
        return "up " + std::to_string(event.keyboard.keycode);
    case ALLEGRO_EVENT_MOUSE_BUTTON_DOWN:
        return "click " + std::to_string(event.mouse.x) + " " + std::to_string(event.mouse.y) + " " +
               std::to_string(event.mouse.button);
    case ALLEGRO_EVENT_TIMER:
        return "tick";
    default:
        return "";
    }
}

std::string formatTickRun(int64_t count) { return "tick " + std::to_string(count); }
