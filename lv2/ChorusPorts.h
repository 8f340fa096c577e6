#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace chorus::lv2 {

// The bundle's identities. Hosts save port symbols and URIs in their sessions: these never change.
inline constexpr std::string_view stereoUri = "http://quillfen.example/lv2/chorus/stereo";
inline constexpr std::string_view monoInUri = "http://quillfen.example/lv2/chorus/mono-in";
inline constexpr std::string_view presetUriBase = "http://quillfen.example/lv2/chorus/preset/";

// One control port per module parameter, in the module's parameter order, then the bypass port.
inline constexpr std::array<std::string_view, 5> parameterSymbols = {"mix", "freq", "delay", "stages",
                                                                     "shape"};
inline constexpr std::string_view enabledSymbol = "enabled";

// Port indexes: controls first, so both plug-ins share them; then audio inputs, then the two outputs.
inline constexpr uint32_t parameterPorts = static_cast<uint32_t>(parameterSymbols.size());
inline constexpr uint32_t enabledPort = parameterPorts;
inline constexpr uint32_t firstAudioPort = enabledPort + 1;
inline constexpr uint32_t outputChannels = 2;
inline constexpr uint32_t maxInputChannels = 2;

inline constexpr uint32_t firstOutputPort(uint32_t inputs) noexcept {
    return firstAudioPort + inputs;
}
inline constexpr uint32_t portCount(uint32_t inputs) noexcept {
    return firstOutputPort(inputs) + outputChannels;
}

} // namespace chorus::lv2
