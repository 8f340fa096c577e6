#include "host/session/AutomationSchedule.h"

#include "host/session/NumberText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <limits>

namespace chorus::host {

namespace {

constexpr double maxFrames = 1.0e13; // far beyond any file; keeps seconds-to-frames from overflowing

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string trimmed(const std::string& text) {
    return NumberText::trimmed(text);
}

constexpr size_t textCheckBytes = 1024; // how much of an automation file must read as UTF-8 text
constexpr double millisecondsPerSecond = 1000.0;

// No NUL and well-formed UTF-8, allowing a sequence cut at the end of the checked part.
bool looksLikeText(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead == 0) {
            return false;
        }
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        if (length == 0 || (length == 2 && lead < 0xC2) || lead > 0xF4) {
            return false;
        }
        for (size_t k = 1; k < length && i + k < bytes.size(); ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// "A..B" into its ends; false when there is no "..".
bool splitRange(const std::string& text, std::string& first, std::string& second) {
    const size_t dots = text.find("..");
    if (dots == std::string::npos) {
        return false;
    }
    first = text.substr(0, dots);
    second = text.substr(dots + 2);
    return true;
}

} // namespace

AutomationSchedule::AutomationSchedule(const ParameterCatalog& parameters,
                                       std::vector<std::string> programNames, int sampleRate)
    : catalog(parameters), programs(std::move(programNames)), rate(sampleRate) {}

bool AutomationSchedule::parseTime(const std::string& text, int sampleRate, long long& frame) {
    double value = 0.0;
    if (!text.empty() && text.back() == 's') {
        const bool milliseconds = text.size() > 1 && text[text.size() - 2] == 'm';
        const double perUnit = milliseconds ? sampleRate / millisecondsPerSecond : sampleRate;
        if (!NumberText::parseNumber(text.substr(0, text.size() - (milliseconds ? 2 : 1)), value) ||
            value < 0.0 || value * perUnit > maxFrames) {
            return false;
        }
        frame = std::llround(value * perUnit);
        return true;
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        text.size() > 13) {
        return false;
    }
    frame = std::stoll(text);
    return true;
}

bool AutomationSchedule::parseValue(const std::string& name, const std::string& value,
                                    const std::string& source, float& normalised, std::string& error) {
    ParameterValue result;
    if (!catalog.parse(name, value, result, error)) {
        error = source + ": " + error;
        return false;
    }
    if (result.clamped) {
        notes.push_back(source + ": " + catalog.clampWarning(name, value, result));
    }
    normalised = result.normalised;
    return true;
}

bool AutomationSchedule::add(const std::string& time, const std::string& assignment,
                             const std::string& source, std::string& error) {
    const std::string where = source + " " + time + " " + assignment;
    std::string name;
    std::string value;
    if (!NumberText::splitAssignment(assignment, name, value)) {
        error = where + ": wants NAME=VALUE after the time";
        return false;
    }
    Event event;
    event.order = events.size();
    std::string startText = time;
    std::string endText;
    const bool ramp = splitRange(time, startText, endText);
    if (!parseTime(startText, rate, event.frame) || (ramp && !parseTime(endText, rate, event.endFrame))) {
        error = where + ": a time is seconds with an s (1.5s) or whole frames (66150)";
        return false;
    }
    if (ramp && event.endFrame <= event.frame) {
        error = where + ": a ramp must end after it starts";
        return false;
    }
    if (!ramp) {
        event.endFrame = event.frame;
    }
    if (sameName(name, "program")) {
        if (ramp) {
            error = where + ": a program cannot ramp";
            return false;
        }
        int number = -1;
        if (!NumberText::parseWhole(value, number)) {
            const auto found =
                std::find_if(programs.begin(), programs.end(),
                             [&](const std::string& program) { return sameName(program, value); });
            number = found == programs.end() ? -1 : static_cast<int>(found - programs.begin());
        }
        if (number < 0 || number >= static_cast<int>(programs.size())) {
            error = where + ": no program " + value;
            return false;
        }
        event.from.program = true;
        event.from.index = number;
        events.push_back(event);
        return true;
    }
    std::string startValue = value;
    std::string endValue;
    const bool valueRamp = splitRange(value, startValue, endValue);
    if (valueRamp != ramp) {
        error = where +
                (ramp ? ": a ramp wants NAME=A..B" : ": a ramp of values wants a time range TIME1..TIME2");
        return false;
    }
    if (!parseValue(name, startValue, where, event.from.value, error) ||
        (ramp && !parseValue(name, endValue, where, event.to, error))) {
        return false;
    }
    if (!ramp) {
        event.to = event.from.value;
    }
    event.from.index = catalog.find(name);
    event.source = source;
    event.time = time;
    // Two changes of one parameter at once would take turns block by block.
    for (const Event& other : events) {
        if (!other.from.program && other.from.index == event.from.index && overlap(other, event)) {
            error = "overlapping changes of " +
                    catalog.parameters()[static_cast<size_t>(event.from.index)].name + ": " + other.source +
                    " (" + other.time + ") and " + source + " (" + time +
                    "); a ramp takes its parameter alone until it ends";
            return false;
        }
    }
    events.push_back(event);
    return true;
}

bool AutomationSchedule::overlap(const Event& a, const Event& b) {
    // A step at a ramp's end, or a ramp starting where another ends, follows it; anything else collides.
    const auto inside = [](const Event& step, const Event& ramp) {
        return step.endFrame == step.frame && ramp.frame <= step.frame && step.frame < ramp.endFrame;
    };
    const bool eitherRamps = a.endFrame > a.frame || b.endFrame > b.frame;
    return eitherRamps && (std::max(a.frame, b.frame) < std::min(a.endFrame, b.endFrame) ||
                           a.frame == b.frame || inside(a, b) || inside(b, a));
}

namespace {

std::string unreadable(const std::string& path) {
    return "cannot read automation file " + path;
}

} // namespace

bool AutomationSchedule::fileReadable(const SessionOptions& options, std::string& error) {
    if (options.automationFile.empty() || std::ifstream(options.automationFile)) {
        return true;
    }
    error = unreadable(options.automationFile);
    return false;
}

bool AutomationSchedule::load(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = unreadable(path);
        return false;
    }
    std::string start(textCheckBytes, '\0');
    file.read(start.data(), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<size_t>(file.gcount()));
    if (!looksLikeText(start)) {
        error = path + " is not a text file: an automation file holds one event a line";
        return false;
    }
    file.clear();
    file.seekg(start.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0); // a byte-order mark is no event
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty()) {
            continue;
        }
        const size_t space = line.find_first_of(" \t");
        if (space == std::string::npos) {
            error = path + ":" + std::to_string(number) + ": wants TIME NAME=VALUE, got: " + line;
            return false;
        }
        if (!add(line.substr(0, space), trimmed(line.substr(space)), path + ":" + std::to_string(number),
                 error)) {
            return false;
        }
    }
    if (file.bad()) {
        error = "cannot read all of automation file " + path;
        return false;
    }
    return true;
}

bool AutomationSchedule::addOptions(const SessionOptions& options, std::string& error) {
    for (const auto& [time, assignment] : options.timed) {
        if (!add(time, assignment, "--at", error)) {
            return false;
        }
    }
    return options.automationFile.empty() || load(options.automationFile, error);
}

bool AutomationSchedule::changesPrograms() const noexcept {
    return std::any_of(events.begin(), events.end(), [](const Event& event) { return event.from.program; });
}

void AutomationSchedule::start(long long totalFrames) {
    total = totalFrames;
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.frame < b.frame; });
    for (const Event& event : events) {
        if (event.frame >= total) {
            notes.push_back("an event at frame " + std::to_string(event.frame) +
                            " lies at or after the end (" + std::to_string(total) +
                            " frames) and is not sent");
        } else if (event.endFrame > total) {
            notes.push_back("a ramp from frame " + std::to_string(event.frame) + " to frame " +
                            std::to_string(event.endFrame) + " runs past the end (" + std::to_string(total) +
                            " frames) and stops short of its end value");
        }
    }
    activeRamps.clear();
    activeRamps.reserve(events.size());
    next = 0;
}

void AutomationSchedule::changesAt(long long frame, std::vector<Change>& changes) {
    changes.clear();
    size_t kept = 0;
    for (const size_t r : activeRamps) {
        const Event& ramp = events[r];
        Change change = ramp.from;
        if (frame >= ramp.endFrame) {
            change.value = ramp.to;
        } else {
            const double progress =
                static_cast<double>(frame - ramp.frame) / static_cast<double>(ramp.endFrame - ramp.frame);
            change.value = static_cast<float>(ramp.from.value + (ramp.to - ramp.from.value) * progress);
            activeRamps[kept++] = r;
        }
        changes.push_back(change);
    }
    activeRamps.resize(kept);
    for (; next < events.size() && events[next].frame <= frame; ++next) {
        changes.push_back(events[next].from);
        if (events[next].endFrame > events[next].frame) {
            activeRamps.push_back(next);
        }
    }
}

long long AutomationSchedule::nextBoundary(long long frame) const {
    long long boundary = total;
    if (next < events.size()) {
        boundary = std::min(boundary, std::max(events[next].frame, frame + 1));
    }
    for (const size_t r : activeRamps) {
        boundary = std::min(boundary, events[r].endFrame);
    }
    return boundary;
}

} // namespace chorus::host
