#pragma once

#include "host/audio/AudioReader.h"
#include "host/audio/WavWriter.h"
#include "host/session/AutomationSchedule.h"
#include "host/session/HostedPlugin.h"

#include <cstdio>
#include <string>
#include <vector>

namespace chorus::host {

// Runs a file through the plug-in block by block, the block scheduler sending the automation due at each
// block's first frame and ending blocks early where an event is due, so every change lands on its frame.
// Memory depends on the block size only, never on the file's length.
class StreamRenderer {
public:
    struct Settings {
        int blockSize = 512;
        bool replacing = true;
        std::FILE* progress =
            nullptr;              // percent and real-time factor once a render passes a second; null: none
        std::FILE* log = nullptr; // each change sent, with its frame; null: none
    };

    StreamRenderer(HostedPlugin& plugin, AutomationSchedule& schedule, const ParameterCatalog& catalog);

    // The plug-in must be resumed at the reader's rate with the block size. The output gets two channels.
    bool run(AudioReader& input, WavWriter& output, const Settings& settings, std::string& error);

    static constexpr int outputChannels = 2;

private:
    void logChange(const AutomationSchedule::Change& change, long long frame, std::FILE* log);

    HostedPlugin& plugin;
    AutomationSchedule& schedule;
    const ParameterCatalog& catalog;
};

} // namespace chorus::host
