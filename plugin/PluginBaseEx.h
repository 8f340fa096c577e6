#pragma once

#include "plugin/PluginBase.h"

namespace chorus {

// Adds requests 25 to 68 and the typed wrappers around the host callback. Requests without a named handler
// below are answered by otherRequest, whose defaults are what this plug-in answers.
class PluginBaseEx : public PluginBase {
public:
    static constexpr int32_t interfaceVersionAnswer = 2200;

    PluginBaseEx(HostCallback callback, int32_t programCount, int32_t paramCount);
    ~PluginBaseEx() override;

    intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;

    // Request 27: the text is a value in the parameter's own unit; answers 1 when the request was understood.
    virtual int32_t paramFromText(int32_t index, char* text);
    virtual int32_t category();
    // Request 42: two channel-layout records, the second one (ptr) is read.
    virtual int32_t channelLayout(int32_t inputLayout, void* outputLayout);
    // Request 43: stores block size and sample rate, nothing else.
    virtual int32_t setBlockSizeAndRate(int32_t frames, float rate);
    virtual int32_t vendorName(char* out);
    virtual int32_t vendorSpecific(int32_t index, int32_t value, void* ptr, float opt);
    virtual int32_t capability(const char* word);
    virtual int32_t interfaceVersion();
    virtual int32_t otherRequest(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt);

    // Host requests; int results are the answer (0 without callback), bool results are answer != 0.
    intptr_t hostRequest6(int32_t value);
    intptr_t hostRequest7(int32_t value);
    intptr_t hostRequest10(int32_t value);
    intptr_t hostRequest11();
    intptr_t hostRequest12();
    bool hostRequest13();
    bool hostRequest14();
    bool hostRequest15(int32_t index, int32_t value);
    float hostRequest16();   // the answer is ignored: returns the sample rate
    int32_t hostRequest17(); // the answer is ignored: returns the block size
    intptr_t hostRequest18();
    intptr_t hostRequest19();
    intptr_t hostRequest20(int32_t unused);
    intptr_t hostRequest21(int32_t unused);
    intptr_t hostRequest22();
    intptr_t hostRequest23();
    intptr_t hostRequest24();
    bool hostRequest26(void* ptr, int32_t value, int32_t index);
    bool hostRequest27(void* ptr, int32_t value);
    bool hostRequest25(void* ptr, int32_t value, int32_t index);
    bool hostRequest28();
    bool hostRequest29();
    intptr_t hostRequest30(float opt);
    intptr_t hostRequest49();
    intptr_t hostRequest31();
    bool hostRequest32(void* ptr);
    bool hostRequest33(void* ptr);
    intptr_t hostRequest34();
    intptr_t hostRequest35(int32_t index, int32_t value, void* ptr, float opt);
    bool hostRequest37(void* ptr);
    intptr_t hostRequest38();
    intptr_t hostRequest39(void* ptr);
    bool hostRequest40(void* ptr);
    intptr_t hostRequest41();
    bool hostRequest42();
    bool beginParamGesture(int32_t index);
    bool endParamGesture(int32_t index);
    bool hostRequest45(void* ptr); // false without sending when ptr is null

    void setFlagBit8(bool on) noexcept { setFlag(flagBit8, on); }
    void setFlagBit9(bool on) noexcept { setFlag(flagBit9, on); }
    void setFlagBit10(bool on) noexcept { setFlag(flagBit10, on); }
    void setFlagBit11(bool on) noexcept { setFlag(flagBit11, on); }

private:
    intptr_t callHostInt(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                         float opt = 0.0f);
    bool callHostBool(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
};

} // namespace chorus
