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
    const char* space = " \t\r\n";
    const size_t first = text.find_first_not_of(space);
    const size_t last = text.find_last_not_of(space);
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
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
        if (!NumberText::parseNumber(text.substr(0, text.size() - 1), value) || value < 0.0 ||
            value * sampleRate > maxFrames) {
            return false;
        }
        frame = std::llround(value * sampleRate);
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
    events.push_back(event);
    return true;
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
    std::ifstream file(path);
    if (!file) {
        error = unreadable(path);
        return false;
    }
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
