#include "host/cli/CommandTable.h"

#include "host/cli/Commands.h"
#include "host/cli/HostMessages.h"
#include "host/validate/Validator.h"

#include <exception>
#include <string_view>

namespace chorus::host {

namespace {

int help(const HostOptions& options, std::FILE* out, std::FILE* /*err*/) {
    const std::string command = options.arguments.empty() ? std::string() : options.arguments[0];
    std::fputs(CommandLine::usage(CommandTable::withEditor(), command).c_str(), out);
    return HostMessages::exitOk;
}

// Where a usage error sends the user: the command's own help, or the whole usage.
void pointToHelp(const std::string& command, std::FILE* err) {
    if (command != "help" && CommandLine::hasUsage(command, CommandTable::withEditor())) {
        std::fprintf(err, "see `chorus-host help %s`\n", command.c_str());
    } else {
        std::fputs("see `chorus-host --help`\n", err);
    }
}

struct Command {
    std::string_view name;
    int (*run)(const HostOptions& options, std::FILE* out, std::FILE* err);
};

constexpr Command table[] = {
    {"help", help},
    {"version", commands::version},
    {"info", commands::info},
    {"render", commands::render},
    {"generate", commands::generate},
    {"compare", commands::compare},
    {"play", commands::play},
    {"bench", commands::bench},
#ifdef CHORUS_HOST_EDITOR
    {"editor", commands::editor},
#endif
};

// validate has options of its own and parses its whole command line itself.
constexpr std::string_view ownParser = "validate";

} // namespace

bool CommandTable::withEditor() noexcept {
#ifdef CHORUS_HOST_EDITOR
    return true;
#else
    return false;
#endif
}

int CommandTable::run(const HostOptions& options, std::FILE* out, std::FILE* err) {
    for (const Command& command : table) {
        if (command.name == options.command) {
            return command.run(options, out, err);
        }
    }
    return HostMessages::usageError(err, "unknown command: " + options.command);
}

int CommandTable::main(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    try {
        if (!args.empty() && args[0] == ownParser) {
            return Validator::main(args, out, err);
        }
        HostOptions options;
        std::string error;
        if (!CommandLine::parse(args, options, error, withEditor())) {
            std::fprintf(err, "chorus-host: %s\n", error.c_str());
            pointToHelp(options.command, err);
            return HostMessages::exitUsage;
        }
        const int status = run(options, out, err);
        if (status == HostMessages::exitUsage) {
            pointToHelp(options.command, err);
        }
        return status;
    } catch (const std::exception& e) {
        std::fprintf(err, "chorus-host: %s\n", e.what());
        return HostMessages::exitFailure;
    }
}

} // namespace chorus::host
