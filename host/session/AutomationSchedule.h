#pragma once

#include "host/session/ParameterCatalog.h"
#include "host/session/SessionOptions.h"

#include <string>
#include <vector>

namespace chorus::host {

// Parameter and program changes over time, as a host's automation sends them: each lands at its exact
// frame (the renderer splits its block there), and a ramp sends one value per block between its ends.
class AutomationSchedule {
public:
    struct Change {
        bool program = false; // else a parameter
        int index = 0;        // parameter or program number
        float value = 0.0f;   // normalised parameter value
    };

    // Names are resolved against the catalog and the program names; seconds become frames at sampleRate.
    AutomationSchedule(const ParameterCatalog& catalog, std::vector<std::string> programNames,
                       int sampleRate);

    // One event: TIME NAME=VALUE, TIME program=N|NAME, or TIME1..TIME2 NAME=A..B. TIME is seconds with an
    // "s" (1.5s), milliseconds with "ms" (20ms) or whole frames (66150). source names the event in messages
    // ("--at", "file.txt:3"). A ramp overlapping another change of its parameter is refused.
    bool add(const std::string& time, const std::string& assignment, const std::string& source,
             std::string& error);
    // One event per line; "#" starts a comment, blank lines are skipped. A file whose start is not UTF-8
    // text (a NUL byte, a malformed sequence) is refused.
    bool load(const std::string& path, std::string& error);
    // False with load's message when the options name an automation file that cannot be opened: commands
    // check it first, since an unreadable file is a failure (exit 1), not a usage error.
    static bool fileReadable(const SessionOptions& options, std::string& error);
    // Every --at, then the --automation file.
    bool addOptions(const SessionOptions& options, std::string& error);
    // Clamped values and events past the end, one line each.
    const std::vector<std::string>& warnings() const noexcept { return notes; }
    bool empty() const noexcept { return events.empty(); }
    bool changesPrograms() const noexcept;

    // Orders the events and readies the play-back at frame 0; warns of events at or after totalFrames and
    // of ramps that end after it.
    void start(long long totalFrames);
    // The changes due at frame, in order; called with the frames the renderer reaches, ascending, including
    // every frame nextBoundary named. changes is cleared first and never grows beyond its reserved size.
    void changesAt(long long frame, std::vector<Change>& changes);
    // The first frame after frame at which a change is due; totalFrames when none is.
    long long nextBoundary(long long frame) const;
    // The totalFrames given to start: no change is due at or after it.
    long long endFrame() const noexcept { return total; }
    // The most changes one frame can bring, for reserving.
    size_t maxChanges() const noexcept { return events.size(); }

    // Whole frames, seconds with an "s" or milliseconds with "ms"; false for anything else, negative or
    // absurdly far.
    static bool parseTime(const std::string& text, int sampleRate, long long& frame);

private:
    struct Event {
        long long frame = 0;
        long long endFrame = 0; // after frame for a ramp
        Change from;
        float to = 0.0f;
        size_t order = 0;
        std::string source; // for messages
        std::string time;
    };

    // Both change their parameter over a common stretch, or at one frame where either starts a ramp.
    static bool overlap(const Event& a, const Event& b);

    bool parseValue(const std::string& name, const std::string& value, const std::string& source,
                    float& normalised, std::string& error);

    const ParameterCatalog& catalog;
    std::vector<std::string> programs;
    int rate;
    std::vector<Event> events;
    std::vector<size_t> activeRamps;
    size_t next = 0;
    long long total = 0;
    std::vector<std::string> notes;
};

} // namespace chorus::host
