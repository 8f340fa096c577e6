#include "host/cli/CommandUsage.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <string_view>

namespace chorus::host {

namespace {

// Each command's usage lines, in the order the whole usage lists them.
struct UsageLines {
    const char* command;
    const char* lines;
};

constexpr UsageLines commandUsages[] = {
    {"info", "  chorus-host info PLUGIN [--load PRESET] [--program N|NAME] [--param NAME=VALUE]... [--save "
             "PRESET]\n"},
    {"render", "  chorus-host render PLUGIN IN OUT.wav [--program N|NAME] [--param NAME=VALUE]...\n"
               "                     [--at TIME NAME=VALUE|program=N|NAME]... [--automation FILE]\n"
               "                     [--load PRESET] [--save PRESET] [--save-program PRESET]\n"
               "                     [--format f32|s24|s16] [--block N] [--mode replace|add] [--quiet] "
               "[--log]\n"},
    {"generate",
     "  chorus-host generate OUT.wav [--seconds S] [--rate HZ] [--channels 1|2] [--format f32|s24|s16]\n"},
    {"compare", "  chorus-host compare A B [--tolerance T]\n"},
    {"play", "  chorus-host play PLUGIN [IN.wav] [--loop] [--load PRESET] [--program N|NAME] [--param "
             "NAME=VALUE]...\n"
             "                   [--at TIME NAME=VALUE|program=N|NAME]... [--automation FILE]\n"
             "                   [--device NAME] [--buffer FRAMES] [--seconds S] [--quiet] [--log]\n"
             "  chorus-host play --list-devices\n"},
    {"bench",
     "  chorus-host bench PLUGIN [--seconds S] [--block N] [--rate HZ] [--program N|NAME] [--param ...]\n"},
    {"validate", "  chorus-host validate PLUGIN [--level 1..10] [--seed N] [--minutes M] [--only NAME]\n"
                 "                       [--watchdog S] [--report FILE.json|FILE.xml]\n"},
    {"version", "  chorus-host --version [PLUGIN]\n"},
    {"help", "  chorus-host --help, or help COMMAND (or COMMAND --help) for one command\n"},
    {"editor", "  chorus-host editor PLUGIN [--load PRESET] [--program N|NAME] [--param NAME=VALUE]...\n"
               "                     [--screenshot FILE] [--seconds S] [--play [IN.wav]] [--device NAME]\n"
               "                     [--buffer FRAMES] [--at TIME NAME=VALUE]... [--automation FILE] (with "
               "--play)\n"
               "                     [--knob-mode linear|circular] [--zoom 100|150|200|auto] [--save FILE] "
               "[--log]\n"},
};

// The notes under the usage lines, each with the commands it concerns (empty: every command).
struct UsageNote {
    std::set<std::string> commands;
    const char* text;
};

const UsageNote usageNotes[] = {
    {{"info", "render", "play", "bench", "editor"},
     "VALUE is a number in the parameter's unit, which may follow it (Mix=50%, Freq=2Hz, Delay=3ms).\n"},
    {{"render", "play", "editor"},
     "TIME is seconds with an s (1.5s), milliseconds (20ms) or frames (66150); an automation file holds\n"
     "  one event a line: TIME NAME=VALUE, TIME program=N|NAME, or a ramp TIME1..TIME2 NAME=A..B;\n"
     "  # starts a comment. Changes of one parameter may not overlap.\n"},
    {{"play"},
     "play counts TIME from the start of playing: --loop does not replay the changes (a later pass\n"
     "  would start where the last change left the parameters, not as the first pass did).\n"},
    {{"info", "render", "play", "bench", "editor"},
     "The plug-in is set in this order: a bank --load, --program, a program --load (into the program\n"
     "  picked), each --param in turn; then --at and --automation change it as it runs.\n"},
    {{"info", "render", "generate", "play", "editor"},
     "IN - reads standard input; OUT - (or - after --save, --save-program, --screenshot) writes\n"
     "  standard output.\n"},
    {{"play"},
     "play --seconds S plays S seconds of sound (with --loop too), then what the device holds; the\n"
     "  position line on standard error shows time / length and the pass; --quiet hides it.\n"},
    {{}, "Exit status: 0 done, 1 failed (nothing written), 2 usage error, 3 compare found a difference.\n"},
    {{"play"}, "play exits 130 when stopped by Ctrl-C (what was queued still plays).\n"},
};

} // namespace

bool CommandUsage::has(const std::string& command, bool withEditor) {
    return std::any_of(std::begin(commandUsages), std::end(commandUsages), [&](const UsageLines& usage) {
        return usage.command == command && (withEditor || command != "editor");
    });
}

std::string CommandUsage::text(bool withEditor, const std::string& command) {
    std::string text = "usage:\n";
    for (const UsageLines& entry : commandUsages) {
        if ((command.empty() || entry.command == command) &&
            (withEditor || std::string_view(entry.command) != "editor")) {
            text += entry.lines;
        }
    }
    for (const UsageNote& note : usageNotes) {
        if (command.empty() || note.commands.empty() || note.commands.count(command) != 0) {
            text += note.text;
        }
    }
    return text;
}

} // namespace chorus::host
