#include "host/session/HostedPlugin.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <utility>

namespace chorus::host {

namespace {

// The callback carries no user data: instances are found by their descriptor. The first request comes
// from inside main, before any descriptor exists, and belongs to the instance this thread is creating
// (threads may create instances at the same time).
std::mutex registryMutex;
std::vector<std::pair<EffectDescriptor*, HostedPlugin*>> registry;
thread_local HostedPlugin* creating = nullptr;

HostedPlugin* lookup(EffectDescriptor* effect) {
    std::lock_guard<std::mutex> lock(registryMutex);
    for (const auto& [descriptor, plugin] : registry) {
        if (descriptor == effect) {
            return plugin;
        }
    }
    return effect == nullptr || creating != nullptr ? creating : nullptr;
}

void forget(EffectDescriptor* effect) {
    std::lock_guard<std::mutex> lock(registryMutex);
    std::erase_if(registry, [effect](const auto& entry) { return entry.first == effect; });
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

const char* hostRequestName(int32_t opcode) {
    switch (opcode) {
    case hostOpAutomate:
        return "automate";
    case hostOpVersion:
        return "version";
    case hostOpCurrentId:
        return "currentId";
    case hostOpIdle:
        return "idle";
    case hostOpPinConnected:
        return "pinConnected";
    case hostOpBeginGesture:
        return "beginGesture";
    case hostOpEndGesture:
        return "endGesture";
    default:
        return "unknown";
    }
}

} // namespace

HostedPlugin::~HostedPlugin() {
    close();
}

void HostedPlugin::setConnectedPins(int inputs, int outputs) noexcept {
    connectedInputs = inputs;
    connectedOutputs = outputs;
}

bool HostedPlugin::create(ModuleMainEntry entry, std::string& error) {
    close();
    if (entry == nullptr) {
        error = "no entry to call";
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        creating = this;
    }
    EffectDescriptor* created = entry(hostCallback);
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        creating = nullptr;
        if (created != nullptr) {
            registry.emplace_back(created, this);
        }
    }
    if (created == nullptr) {
        error = "the plug-in refused to be created";
        return false;
    }
    if (created->magic != CHORUS_DESCRIPTOR_MAGIC) {
        error = "the module returned a record without the descriptor's magic";
        forget(created);
        return false;
    }
    effect = created;
    return true;
}

intptr_t HostedPlugin::close() {
    if (effect == nullptr) {
        return 0;
    }
    const intptr_t result = effect->dispatchEntry(effect, opClose, 0, 0, nullptr, 0.0f);
    forget(effect);
    effect = nullptr;
    return result;
}

intptr_t HostedPlugin::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (effect == nullptr) {
        return 0;
    }
    if (opcode == opClose) {
        return close();
    }
    return effect->dispatchEntry(effect, opcode, index, value, ptr, opt);
}

std::string HostedPlugin::dispatchText(int32_t opcode, int32_t index) {
    char text[textCapacity] = {};
    dispatch(opcode, index, 0, text, 0.0f);
    text[textCapacity - 1] = '\0';
    return text;
}

float HostedPlugin::getParameter(int32_t index) {
    return effect != nullptr ? effect->getParamEntry(effect, index) : 0.0f;
}

void HostedPlugin::setParameter(int32_t index, float value) {
    if (effect != nullptr) {
        effect->setParamEntry(effect, index, value);
    }
}

int32_t HostedPlugin::setParameterFromText(int32_t index, const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return static_cast<int32_t>(dispatch(opParamFromText, index, 0, copy.data(), 0.0f));
}

int32_t HostedPlugin::findParameter(const std::string& name) {
    if (effect == nullptr) {
        return -1;
    }
    for (int32_t i = 0; i < effect->paramCount; ++i) {
        if (sameName(paramName(i), name)) {
            return i;
        }
    }
    return -1;
}

// Walks the programs by selecting each, then returns to the program that was selected.
int32_t HostedPlugin::findProgram(const std::string& name) {
    if (effect == nullptr) {
        return -1;
    }
    const auto current = static_cast<int32_t>(dispatch(opCurrentProgram));
    int32_t found = -1;
    for (int32_t p = 0; p < effect->programCount && found < 0; ++p) {
        dispatch(opSelectProgram, 0, p);
        if (sameName(programName(), name)) {
            found = p;
        }
    }
    dispatch(opSelectProgram, 0, current);
    return found;
}

void HostedPlugin::process(float** inputs, float** outputs, int32_t frames, bool replacing) {
    if (effect == nullptr) {
        return;
    }
    if (replacing) {
        effect->replaceProcessEntry(effect, inputs, outputs, frames);
    } else {
        effect->addProcessEntry(effect, inputs, outputs, frames);
    }
}

// The request's name, then what its numbers mean: the parameter's name and shown value for an automated
// parameter, the pin for a pin question.
std::string HostedPlugin::describe(int32_t opcode, int32_t index, intptr_t value) {
    std::string text = hostRequestName(opcode);
    const bool parameterRequest =
        opcode == hostOpAutomate || opcode == hostOpBeginGesture || opcode == hostOpEndGesture;
    if (parameterRequest && effect != nullptr && index >= 0 && index < effect->paramCount) {
        text.append(" ").append(paramName(index));
        if (opcode == hostOpAutomate) {
            const std::string unit = paramUnit(index);
            text.append(" (").append(paramDisplay(index));
            if (!unit.empty()) {
                text.append(" ").append(unit);
            }
            text.append(")");
        }
    } else if (opcode == hostOpPinConnected) {
        text += value == 0 ? " input " : " output ";
        text += std::to_string(index);
    }
    return text;
}

intptr_t CHORUS_CDECL HostedPlugin::hostCallback(EffectDescriptor* effect, int32_t opcode, int32_t index,
                                                 intptr_t value, void*, float opt) {
    // Called from inside the plug-in: nothing may be thrown back through it.
    try {
        HostedPlugin* plugin = lookup(effect);
        if (plugin == nullptr) {
            return opcode == hostOpVersion ? hostVersionAnswer : 0;
        }
        return plugin->answer(opcode, index, value, opt);
    } catch (...) {
        return 0;
    }
}

intptr_t HostedPlugin::answer(int32_t opcode, int32_t index, intptr_t value, float opt) {
    const intptr_t result = reply(opcode, index, value, opt);
    if (listener != nullptr) {
        listener->hostRequest(opcode, index, opt);
    }
    return result;
}

intptr_t HostedPlugin::reply(int32_t opcode, int32_t index, intptr_t value, float opt) {
    received.push_back({opcode, index, value, opt});
    if (logStream != nullptr) {
        std::fprintf(logStream, "host %d %d %lld %g %s\n", static_cast<int>(opcode), static_cast<int>(index),
                     static_cast<long long>(value), static_cast<double>(opt),
                     describe(opcode, index, value).c_str());
        std::fflush(logStream);
    }
    switch (opcode) {
    case hostOpVersion:
        return versionAnswer;
    case hostOpPinConnected: {
        // 0 means connected.
        const int connected = value == 0 ? connectedInputs : connectedOutputs;
        return index >= 0 && index < connected ? 0 : 1;
    }
    case hostOpBeginGesture:
    case hostOpEndGesture:
        return 1;
    default:
        return 0;
    }
}

} // namespace chorus::host
