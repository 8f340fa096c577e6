#pragma once

#include "host/session/HostListener.h"
#include "plugin/PluginAbi.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace chorus::host {

// One host request the plug-in sent.
struct HostEvent {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
};

// The host side of one plug-in instance: creates it through the module's main, answers its host requests
// and wraps the dispatcher requests a host needs.
class HostedPlugin {
public:
    static constexpr int32_t hostVersionAnswer = 2400;
    static constexpr int textCapacity = 256; // bytes given to the plug-in for any text it writes

    HostedPlugin() = default;
    ~HostedPlugin();
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    // Prints every host request as "host <opcode> <index> <value> <opt> <name> [<details>]" to the stream
    // (null: silent).
    void setLog(std::FILE* stream) noexcept { logStream = stream; }
    // How many input and output pins the host reports connected (pin-connected requests).
    void setConnectedPins(int inputs, int outputs) noexcept;
    // Told of every host request after it is answered (null: nobody); it must outlive the plug-in's requests.
    void setListener(HostListener* told) noexcept { listener = told; }
    // Answer to the host-version request; 0 makes the plug-in refuse creation.
    void setVersionAnswer(int32_t answer) noexcept { versionAnswer = answer; }

    bool create(ModuleMainEntry entry, std::string& error);
    bool isOpen() const noexcept { return effect != nullptr; }
    EffectDescriptor* descriptor() const noexcept { return effect; }
    // Sends the close request; the descriptor is gone afterwards.
    intptr_t close();

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    std::string dispatchText(int32_t opcode, int32_t index = 0);
    std::string paramName(int32_t index) { return dispatchText(opParamName, index); }
    std::string paramUnit(int32_t index) { return dispatchText(opParamUnit, index); }
    std::string paramDisplay(int32_t index) { return dispatchText(opParamValueText, index); }
    std::string programName() { return dispatchText(opProgramName); }
    float getParameter(int32_t index);
    void setParameter(int32_t index, float value);
    // Request 27 with the text (copied, so the plug-in may write into its own copy).
    int32_t setParameterFromText(int32_t index, const std::string& text);
    // Index of the parameter or program with that name (case-insensitive), or -1.
    int32_t findParameter(const std::string& name);
    int32_t findProgram(const std::string& name);
    void process(float** inputs, float** outputs, int32_t frames, bool replacing);

    const std::vector<HostEvent>& events() const noexcept { return received; }
    void clearEvents() { received.clear(); }

private:
    static intptr_t CHORUS_CDECL hostCallback(EffectDescriptor* effect, int32_t opcode, int32_t index,
                                              intptr_t value, void* ptr, float opt);
    intptr_t answer(int32_t opcode, int32_t index, intptr_t value, float opt);
    intptr_t reply(int32_t opcode, int32_t index, intptr_t value, float opt);
    std::string describe(int32_t opcode, int32_t index, intptr_t value);

    EffectDescriptor* effect = nullptr;
    std::FILE* logStream = nullptr;
    HostListener* listener = nullptr;
    int connectedInputs = 2;
    int connectedOutputs = 2;
    int32_t versionAnswer = hostVersionAnswer;
    std::vector<HostEvent> received;
};

} // namespace chorus::host
