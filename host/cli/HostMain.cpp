// chorus-host: loads a plug-in module through its "main" and runs it over audio files.
#include "host/cli/CommandTable.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    return chorus::host::CommandTable::main(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
