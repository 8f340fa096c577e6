#pragma once

#include "plugin/PluginAbi.h"

#include <cstdint>

namespace chorus {

class EditorInterface;

// Root of every plug-in object: owns the descriptor handed to the host and turns requests 0 to 24 into
// virtual operations. Texts written into host buffers are zero-terminated; callers give at least 9 bytes for
// the numeric helpers and 64 bytes for names, units and display texts.
class PluginBase {
public:
    static constexpr float defaultSampleRate = 44100.0f; // Hz
    static constexpr int32_t defaultBlockSize = 1024;    // frames
    static constexpr int32_t textSize = 64; // bytes of a name, unit or display text, terminator included

    PluginBase(HostCallback callback, int32_t programCount, int32_t paramCount);
    virtual ~PluginBase();
    PluginBase(const PluginBase&) = delete;
    PluginBase& operator=(const PluginBase&) = delete;

    EffectDescriptor* descriptor() noexcept { return &effect; }
    const EffectDescriptor* descriptor() const noexcept { return &effect; }
    // The object behind a descriptor this class filled.
    static PluginBase* fromDescriptor(EffectDescriptor* effect) noexcept;

    // Called by an editor's constructor: the effect takes ownership and announces the editor to the host.
    void setEditor(EditorInterface* newEditor) noexcept;
    EditorInterface* getEditor() const noexcept { return editor; }

    virtual void writeParam(int32_t index, float value);
    virtual float readParam(int32_t index);
    // An edit made by the user: applied, then reported to the host as automation.
    virtual void applyUserParam(int32_t index, float value);
    virtual void processAdd(float** inputs, float** outputs, int32_t frames) = 0;
    virtual void processReplace(float** inputs, float** outputs, int32_t frames);
    virtual intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    virtual void onOpen();
    virtual void onClose();
    virtual int32_t currentProgram();
    virtual void selectProgram(int32_t program);
    virtual void renameProgram(char* name);
    virtual void programName(char* out);
    virtual void paramUnit(int32_t index, char* out);
    virtual void paramValueText(int32_t index, char* out);
    virtual void paramName(int32_t index, char* out);
    virtual float meterLevel();
    virtual int32_t saveState(void** data, bool programOnly);
    virtual int32_t loadState(void* data, int32_t byteCount, bool programOnly);
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(int32_t frames);
    virtual void suspend();
    virtual void resume();
    virtual void setPluginId(int32_t id);
    virtual void setInputCount(int32_t count);
    virtual void setOutputCount(int32_t count);
    virtual void setFlagBit2(bool on);
    virtual void setFlagBit1(bool on);
    virtual void setFlagBit3(bool on);
    virtual void setReplacingFlag(bool on);
    virtual void setChunksFlag(bool on);
    virtual void setRealtimeQuality(int32_t quality);
    virtual void setOfflineQuality(int32_t quality);
    virtual void setLatency(int32_t samples);
    virtual float getSampleRate();
    virtual int32_t getBlockSize();
    virtual intptr_t hostVersion();
    virtual intptr_t hostCurrentId();
    virtual intptr_t hostIdle();
    virtual bool inputConnected(int32_t index);
    virtual bool outputConnected(int32_t index);
    virtual void decibelToText(float gain, char* out);
    virtual void samplesToHzText(float samples, char* out);
    virtual void samplesToMsText(float samples, char* out);
    virtual void floatToText(float value, char* out);
    virtual void intToText(int32_t value, char* out);

protected:
    // Sends one host request with this descriptor; 0 without callback.
    intptr_t callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    // A request's pointer-sized value for a handler taking 32 bits: out-of-range values saturate, so they
    // never wrap into a valid program number, byte count or code.
    static int32_t narrowValue(intptr_t value) noexcept;
    bool hasCallback() const noexcept { return hostCallback != nullptr; }
    // Destroys the editor now (the effect may need it gone before what the editor points at).
    void destroyEditor() noexcept;
    void setFlag(uint32_t bit, bool on) noexcept;

    float sampleRate = defaultSampleRate;
    EditorInterface* editor = nullptr;
    const HostCallback hostCallback;
    int32_t programCount;
    int32_t paramCount;
    int32_t curProgram = 0;
    int32_t blockSize = defaultBlockSize;
    EffectDescriptor effect;
};

} // namespace chorus
