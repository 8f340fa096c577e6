/* Binary interface between the chorus module and a host: the descriptor record, the entry and callback
   signatures, the request numbers in both directions and the small records passed with them.
   Plain C so that any host can include it; nothing else of the plug-in is needed to load the module. */
#ifndef CHORUS_PLUGIN_ABI_H
#define CHORUS_PLUGIN_ABI_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define CHORUS_CDECL __cdecl
#else
#define CHORUS_CDECL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Four-character codes: the first character is the most significant byte. */
#define CHORUS_FOURCC(a, b, c, d)                                                                            \
    ((int32_t)(((uint32_t)(uint8_t)(a) << 24) | ((uint32_t)(uint8_t)(b) << 16) |                             \
               ((uint32_t)(uint8_t)(c) << 8) | (uint32_t)(uint8_t)(d)))

#define CHORUS_DESCRIPTOR_MAGIC CHORUS_FOURCC('Q', 'e', 'l', 'P')
#define CHORUS_DEFAULT_PLUGIN_ID CHORUS_FOURCC('N', 'o', 'E', 'f')
#define CHORUS_IDENTIFY_ANSWER CHORUS_FOURCC('W', 'y', 'r', 'b')
#define CHORUS_PLUGIN_ID CHORUS_FOURCC('T', 'z', 'm', 'o')
#define CHORUS_WHEEL_INDEX CHORUS_FOURCC('r', 'n', 'K', 'D')
#define CHORUS_WHEEL_VALUE CHORUS_FOURCC('W', 'h', 'e', 'e')
/* Vendor-specific request (50) with index CHORUS_WHEEL_INDEX and value CHORUS_ZOOM_VALUE: the editor's zoom
   in percent in the float argument, 100, 150 or 200, or 0 to follow the DPI of the window it opens in.
   Answers the zoom now in effect (0: refused). An open editor is rebuilt at once; the host then reads the
   editor rectangle again and resizes its window. */
#define CHORUS_ZOOM_VALUE CHORUS_FOURCC('Z', 'o', 'o', 'm')

typedef struct EffectDescriptor EffectDescriptor;

/* The value argument and the answer of both request directions are pointer-sized: 32 bits in a 32-bit
   module, 64 bits in a 64-bit one, so a host can pass a handle or pointer through either. */
typedef intptr_t(CHORUS_CDECL* HostCallback)(EffectDescriptor* effect, int32_t opcode, int32_t index,
                                             intptr_t value, void* ptr, float opt);
typedef intptr_t(CHORUS_CDECL* DispatchEntry)(EffectDescriptor* effect, int32_t opcode, int32_t index,
                                              intptr_t value, void* ptr, float opt);
typedef void(CHORUS_CDECL* ProcessEntry)(EffectDescriptor* effect, float** inputs, float** outputs,
                                         int32_t sampleFrames);
typedef void(CHORUS_CDECL* SetParamEntry)(EffectDescriptor* effect, int32_t index, float value);
typedef float(CHORUS_CDECL* GetParamEntry)(EffectDescriptor* effect, int32_t index);

/* The module's one export, named "main". */
typedef EffectDescriptor*(CHORUS_CDECL* ModuleMainEntry)(HostCallback callback);

/* One declaration for both layouts, each field at its natural alignment: 144 bytes with 32-bit pointers,
   184 with 64-bit ones (entry pointers, owner and hostData widen; the reserved tail stays 60 bytes). The
   native Linux module is built for x86_64 and so uses the 64-bit layout, like the 64-bit Windows module. */
struct EffectDescriptor {
    int32_t magic;
    DispatchEntry dispatchEntry;
    ProcessEntry addProcessEntry;
    SetParamEntry setParamEntry;
    GetParamEntry getParamEntry;
    int32_t programCount;
    int32_t paramCount;
    int32_t inputCount;
    int32_t outputCount;
    uint32_t flags;
    int32_t reserved1;
    int32_t reserved2;
    int32_t latency;
    int32_t realtimeQuality;
    int32_t offlineQuality;
    float inOutRatio;
    void* owner;
    void* hostData;
    int32_t pluginId;
    int32_t pluginVersion;
    ProcessEntry replaceProcessEntry;
    uint8_t reservedTail[60];
};

enum EffectFlags {
    flagHasEditor = 0x01,
    flagBit1 = 0x02,
    flagBit2 = 0x04,
    flagBit3 = 0x08,
    flagReplacing = 0x10,
    flagChunks = 0x20,
    flagBit8 = 0x100,
    flagBit9 = 0x200,
    flagBit10 = 0x400,
    flagBit11 = 0x800
};

/* Requests the host sends through dispatchEntry. */
enum PluginOp {
    opOpen = 0,
    opClose = 1,
    opSelectProgram = 2,
    opCurrentProgram = 3,
    opRenameProgram = 4,
    opProgramName = 5,
    opParamUnit = 6,
    opParamValueText = 7,
    opParamName = 8,
    opMeterLevel = 9,
    opSampleRate = 10,
    opBlockSize = 11,
    opPower = 12,
    opEditorRect = 13,
    opEditorOpen = 14,
    opEditorClose = 15,
    opEditorIdle = 19,
    opIdentify = 22,
    opSaveState = 23,
    opLoadState = 24,
    opParamFromText = 27,
    opCategory = 35,
    opChannelLayout = 42,
    opBlockSizeAndRate = 43,
    opVendorName = 47,
    opVendorSpecific = 50,
    opCapability = 51,
    opInterfaceVersion = 58,
    opKeyDown = 59,
    opKeyUp = 60,
    opKnobMode = 61,
    opLastRequest = 68
};

/* Requests the plug-in sends through the HostCallback. */
enum HostOp {
    hostOpAutomate = 0,
    hostOpVersion = 1,
    hostOpCurrentId = 2,
    hostOpIdle = 3,
    hostOpPinConnected = 4,
    hostOpBeginGesture = 43,
    hostOpEndGesture = 44
};

/* Passed by pointer with the key requests; valid only during the call. */
typedef struct KeyRecord {
    int32_t character;
    uint8_t virtualKey;
    uint8_t modifiers;
} KeyRecord;

/* The editor's rectangle in pixels, as read through opEditorRect. */
typedef struct EditorRect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
} EditorRect;

/* Record of request 42: the channel count sits at byte offset 4. */
typedef struct ChannelLayoutRecord {
    int32_t layoutKind;
    int32_t channelCount;
} ChannelLayoutRecord;

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#include <cstddef>
// Offsets a host relies on, for both pointer widths.
#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(EffectDescriptor) == 144);
static_assert(offsetof(EffectDescriptor, magic) == 0);
static_assert(offsetof(EffectDescriptor, dispatchEntry) == 4);
static_assert(offsetof(EffectDescriptor, addProcessEntry) == 8);
static_assert(offsetof(EffectDescriptor, setParamEntry) == 12);
static_assert(offsetof(EffectDescriptor, getParamEntry) == 16);
static_assert(offsetof(EffectDescriptor, programCount) == 20);
static_assert(offsetof(EffectDescriptor, paramCount) == 24);
static_assert(offsetof(EffectDescriptor, inputCount) == 28);
static_assert(offsetof(EffectDescriptor, outputCount) == 32);
static_assert(offsetof(EffectDescriptor, flags) == 36);
static_assert(offsetof(EffectDescriptor, reserved1) == 40);
static_assert(offsetof(EffectDescriptor, reserved2) == 44);
static_assert(offsetof(EffectDescriptor, latency) == 48);
static_assert(offsetof(EffectDescriptor, realtimeQuality) == 52);
static_assert(offsetof(EffectDescriptor, offlineQuality) == 56);
static_assert(offsetof(EffectDescriptor, inOutRatio) == 60);
static_assert(offsetof(EffectDescriptor, owner) == 64);
static_assert(offsetof(EffectDescriptor, hostData) == 68);
static_assert(offsetof(EffectDescriptor, pluginId) == 72);
static_assert(offsetof(EffectDescriptor, pluginVersion) == 76);
static_assert(offsetof(EffectDescriptor, replaceProcessEntry) == 80);
static_assert(offsetof(EffectDescriptor, reservedTail) == 84);
#elif INTPTR_MAX == INT64_MAX
static_assert(sizeof(EffectDescriptor) == 184);
static_assert(offsetof(EffectDescriptor, magic) == 0);
static_assert(offsetof(EffectDescriptor, dispatchEntry) == 8);
static_assert(offsetof(EffectDescriptor, addProcessEntry) == 16);
static_assert(offsetof(EffectDescriptor, setParamEntry) == 24);
static_assert(offsetof(EffectDescriptor, getParamEntry) == 32);
static_assert(offsetof(EffectDescriptor, programCount) == 40);
static_assert(offsetof(EffectDescriptor, paramCount) == 44);
static_assert(offsetof(EffectDescriptor, inputCount) == 48);
static_assert(offsetof(EffectDescriptor, outputCount) == 52);
static_assert(offsetof(EffectDescriptor, flags) == 56);
static_assert(offsetof(EffectDescriptor, reserved1) == 60);
static_assert(offsetof(EffectDescriptor, reserved2) == 64);
static_assert(offsetof(EffectDescriptor, latency) == 68);
static_assert(offsetof(EffectDescriptor, realtimeQuality) == 72);
static_assert(offsetof(EffectDescriptor, offlineQuality) == 76);
static_assert(offsetof(EffectDescriptor, inOutRatio) == 80);
static_assert(offsetof(EffectDescriptor, owner) == 88);
static_assert(offsetof(EffectDescriptor, hostData) == 96);
static_assert(offsetof(EffectDescriptor, pluginId) == 104);
static_assert(offsetof(EffectDescriptor, pluginVersion) == 108);
static_assert(offsetof(EffectDescriptor, replaceProcessEntry) == 112);
static_assert(offsetof(EffectDescriptor, reservedTail) == 120);
#else
#error "only 32-bit and 64-bit pointers are supported"
#endif
static_assert(sizeof(EffectDescriptor::reservedTail) == 60);
static_assert(sizeof(KeyRecord) == 8);
static_assert(sizeof(EditorRect) == 8);
#endif

#endif /* CHORUS_PLUGIN_ABI_H */
