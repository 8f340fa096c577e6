// Loads the built module (chorus.dll under Wine, chorus.so natively) the way a host does, through "main"
// only, and checks what the host sees.
#include "../plugin/FactoryBankTable.h"
#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using chorus::host::HostedPlugin;
using chorus::host::ModuleLoader;

namespace {

class ModuleEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(loader.load(CHORUS_MODULE_FILE, error)) << error;
        ASSERT_TRUE(plugin.create(loader.entry(), error)) << error;
        d = plugin.descriptor();
    }
    void TearDown() override { plugin.close(); }

    std::vector<uint8_t> save(bool programOnly) {
        void* data = nullptr;
        const intptr_t size = plugin.dispatch(opSaveState, programOnly ? 1 : 0, 0, &data);
        const auto* bytes = static_cast<const uint8_t*>(data);
        return bytes != nullptr && size > 0 ? std::vector<uint8_t>(bytes, bytes + size)
                                            : std::vector<uint8_t>{};
    }
    intptr_t load(std::vector<uint8_t> bytes, bool programOnly) {
        return plugin.dispatch(opLoadState, programOnly ? 1 : 0, static_cast<int32_t>(bytes.size()),
                               bytes.data());
    }

    ModuleLoader loader;
    HostedPlugin plugin;
    EffectDescriptor* d = nullptr;
};

uint32_t word(const EffectDescriptor* d, size_t offset) {
    uint32_t value;
    std::memcpy(&value, reinterpret_cast<const uint8_t*>(d) + offset, sizeof value);
    return value;
}

} // namespace

TEST_F(ModuleEndToEnd, TheDescriptorReadsAsPublished) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(d);
    EXPECT_EQ(std::memcmp(bytes, "PleQ", 4), 0);
    // The byte layout a host reads: the 32-bit offsets, or the 64-bit ones where pointers take 8 bytes.
    constexpr bool wide = sizeof(void*) == 8;
    struct Word {
        size_t offset32, offset64;
        uint32_t value;
    };
    for (const Word& w :
         {Word{20, 40, 8u}, Word{24, 44, 5u}, Word{28, 48, 2u}, Word{32, 52, 2u},
          Word{36, 56, CHORUS_MODULE_FLAGS}, Word{40, 60, 0u}, Word{44, 64, 0u}, Word{48, 68, 0u},
          Word{60, 80, std::bit_cast<uint32_t>(1.0f)}, Word{72, 104, 0x547A6D6Fu}, Word{76, 108, 1u}}) {
        EXPECT_EQ(word(d, wide ? w.offset64 : w.offset32), w.value) << w.offset32;
    }
    // The four entries, owner, hostData (null) and the replacing entry.
    for (const Word& p : {Word{4, 8, 1}, Word{8, 16, 1}, Word{12, 24, 1}, Word{16, 32, 1}, Word{64, 88, 1},
                          Word{68, 96, 0}, Word{80, 112, 1}}) {
        uintptr_t pointer = 0;
        std::memcpy(&pointer, bytes + (wide ? p.offset64 : p.offset32), sizeof pointer);
        EXPECT_EQ(pointer != 0, p.value != 0) << p.offset32;
    }
    const size_t tail = wide ? 120 : 84;
    for (size_t offset = tail; offset < tail + 60; ++offset) {
        EXPECT_EQ(bytes[offset], 0) << offset;
    }
    EXPECT_EQ(d->programCount, 8);
    EXPECT_EQ(d->paramCount, 5);
    EXPECT_EQ(d->flags, CHORUS_MODULE_FLAGS);
    EXPECT_EQ(d->pluginId, 0x547A6D6F);
    // The version request came first, before any descriptor existed.
    ASSERT_FALSE(plugin.events().empty());
    EXPECT_EQ(plugin.events()[0].opcode, hostOpVersion);
}

TEST_F(ModuleEndToEnd, DispatcherAnswers) {
    EXPECT_EQ(plugin.dispatch(opIdentify), 0x57797262);
    EXPECT_EQ(plugin.dispatch(opInterfaceVersion), 2200);
    EXPECT_EQ(plugin.dispatch(57), 1);
    EXPECT_EQ(plugin.dispatch(63), -1);
    EXPECT_EQ(plugin.dispatch(26, 3), 1);
    EXPECT_EQ(plugin.dispatch(opCategory), 1);
    EXPECT_EQ(plugin.dispatch(69), 0);
    char word[] = "bypass";
    EXPECT_EQ(plugin.dispatch(opCapability, 0, 0, word), 0);
    EXPECT_EQ(plugin.dispatchText(opVendorName), "Quillfen Digital Audio");
    if (CHORUS_MODULE_HAS_EDITOR) {
        EditorRect* rect = nullptr;
        EXPECT_EQ(plugin.dispatch(opEditorRect, 0, 0, &rect), 1);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, 238);
        EXPECT_EQ(rect->bottom - rect->top, 226);
        EXPECT_EQ(plugin.dispatch(opKeyDown, 'a', 0, nullptr, 0.0f), -1); // closed: no frame takes keys
        EXPECT_EQ(plugin.dispatch(opKnobMode, 0, 1), 1);
    } else {
        EditorRect* rect = nullptr;
        EXPECT_EQ(plugin.dispatch(opEditorRect, 0, 0, &rect), 0);
        EXPECT_EQ(plugin.dispatch(opEditorOpen), 0);
        EXPECT_EQ(plugin.dispatch(opKeyDown, 'a', 0, nullptr, 0.0f), 0);
        EXPECT_EQ(plugin.dispatch(opKnobMode, 0, 1), 0);
    }
    EXPECT_EQ(plugin.dispatch(opVendorSpecific, 0x726E4B44, 0x57686565, nullptr, 1.0f), 0);
    plugin.setParameter(0, 0.5f);
    EXPECT_EQ(plugin.dispatch(opMeterLevel), 0);
}

TEST_F(ModuleEndToEnd, NamesUnitsAndDisplayTexts) {
    const char* names[] = {"Mix", "Freq", "Delay", "Stages", "Shape"};
    const char* units[] = {"%", "Hz", "ms", "", ""};
    const char* displays[] = {"50", "2.00", "2.00", " 1", " 1"};
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(plugin.paramName(i), names[i]);
        EXPECT_EQ(plugin.paramUnit(i), units[i]);
        EXPECT_EQ(plugin.paramDisplay(i), displays[i]);
    }
    for (int32_t p = 0; p < 8; ++p) {
        plugin.dispatch(opSelectProgram, 0, p);
        EXPECT_EQ(plugin.programName(), factoryPrograms[static_cast<size_t>(p)].name);
    }
    EXPECT_EQ(plugin.findProgram("ear candy"), 5);
    EXPECT_EQ(plugin.findParameter("DELAY"), 2);
    EXPECT_EQ(plugin.findParameter("Depth"), -1);
}

TEST_F(ModuleEndToEnd, FactoryBankChunkByteForByte) {
    EXPECT_EQ(save(false), factoryBankBytes());
    const std::vector<uint8_t> program = save(true);
    EXPECT_EQ(program, chunkRow(factoryPrograms[0].values, "Default"));
}

TEST_F(ModuleEndToEnd, OldLayoutChunksAndRefusedSizes) {
    // Stages 0.75 in the old scale is three stages.
    EXPECT_EQ(load(oldLayoutRow({0x3F000000, 0x3E4CCCCD, 0x3E4CCCCD, 0x3F400000}, "Old one"), true), 0);
    EXPECT_EQ(plugin.programName(), "Old one");
    EXPECT_EQ(plugin.paramDisplay(1), "1.00");
    EXPECT_EQ(plugin.paramDisplay(3), " 3");
    EXPECT_EQ(plugin.paramDisplay(4), " 1");
    const std::vector<uint8_t> row = save(true);
    ASSERT_EQ(row.size(), 84u);
    EXPECT_EQ(std::vector<uint8_t>(row.begin() + 16, row.begin() + 20),
              (std::vector<uint8_t>{0x3F, 0, 0, 0}));

    const std::vector<uint8_t> before = save(false);
    EXPECT_EQ(load(std::vector<uint8_t>(100, 0x41), true), 0);
    EXPECT_EQ(load(std::vector<uint8_t>(700, 0x41), false), 0);
    EXPECT_EQ(save(false), before);
}

TEST_F(ModuleEndToEnd, TypedValues) {
    EXPECT_EQ(plugin.setParameterFromText(1, "3,5"), 1);
    EXPECT_EQ(plugin.paramDisplay(1), "3.50");
    EXPECT_FLOAT_EQ(plugin.getParameter(1), 0.7f);
    plugin.setParameterFromText(1, "9");
    EXPECT_EQ(plugin.paramDisplay(1), "5.00");
    plugin.setParameterFromText(3, "0");
    EXPECT_EQ(plugin.paramDisplay(3), " 1");
    plugin.setParameterFromText(0, "text");
    EXPECT_EQ(plugin.paramDisplay(0), "50");
    EXPECT_EQ(plugin.dispatch(opParamFromText, 0, 0, nullptr), 1);
}

TEST_F(ModuleEndToEnd, ProcessingThroughBothEntries) {
    plugin.dispatch(opSampleRate, 0, 0, nullptr, 48000.0f);
    plugin.dispatch(opBlockSize, 0, 256);
    plugin.dispatch(opPower, 0, 1);
    // The host was asked about its pins on resume.
    int pinQuestions = 0;
    for (const auto& event : plugin.events()) {
        pinQuestions += event.opcode == hostOpPinConnected ? 1 : 0;
    }
    EXPECT_EQ(pinQuestions, 4);

    std::vector<float> left(256), right(256), outLeft(256, 9.0f), outRight(256, 9.0f);
    for (size_t j = 0; j < 256; ++j) {
        left[j] = std::sin(0.1f * static_cast<float>(j));
        right[j] = -left[j];
    }
    float* in[] = {left.data(), right.data()};
    float* out[] = {outLeft.data(), outRight.data()};
    plugin.process(in, out, 256, true);
    const std::vector<float> replaced = outLeft;
    EXPECT_NE(replaced, std::vector<float>(256, 9.0f));
    for (float sample : replaced) {
        ASSERT_TRUE(std::isfinite(sample));
    }
    plugin.dispatch(opPower, 0, 0);
}

TEST(ModuleLoading, ErrorsAreReported) {
    ModuleLoader loader;
    std::string error;
    EXPECT_FALSE(loader.load("no-such-module.bin", error));
    EXPECT_NE(error.find("cannot find"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(loader.load(CHORUS_NO_MAIN_MODULE_FILE, error));
    EXPECT_NE(error.find("has no entry \"main\""), std::string::npos) << error;
    EXPECT_EQ(loader.entry(), nullptr);

    ASSERT_TRUE(loader.load(CHORUS_MODULE_FILE, error)) << error;
    HostedPlugin refusing;
    refusing.setVersionAnswer(0);
    EXPECT_FALSE(refusing.create(loader.entry(), error));
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    EXPECT_FALSE(refusing.isOpen());
}

TEST(ModuleLoading, TwoInstancesFromOneModuleAreIndependent) {
    ModuleLoader loader;
    std::string error;
    ASSERT_TRUE(loader.load(CHORUS_MODULE_FILE, error)) << error;
    HostedPlugin first;
    HostedPlugin second;
    ASSERT_TRUE(first.create(loader.entry(), error));
    ASSERT_TRUE(second.create(loader.entry(), error));
    EXPECT_NE(first.descriptor(), second.descriptor());
    first.setParameter(0, 1.0f);
    EXPECT_EQ(first.paramDisplay(0), "100");
    EXPECT_EQ(second.paramDisplay(0), "50");
    first.clearEvents();
    second.clearEvents();
    first.dispatch(opPower, 0, 1);
    EXPECT_FALSE(first.events().empty());
    EXPECT_TRUE(second.events().empty()); // requests reach the instance that sent them
    EXPECT_EQ(first.close(), 1);
    EXPECT_EQ(second.close(), 1);
}
