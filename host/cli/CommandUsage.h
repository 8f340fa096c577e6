#pragma once

#include <string>

namespace chorus::host {

// chorus-host's usage text: each command's lines and the notes that concern it.
class CommandUsage {
public:
    // The whole usage, or one command's lines and notes; the editor only withEditor.
    static std::string text(bool withEditor, const std::string& command = {});
    // Whether command has usage lines of its own.
    static bool has(const std::string& command, bool withEditor);
};

} // namespace chorus::host
