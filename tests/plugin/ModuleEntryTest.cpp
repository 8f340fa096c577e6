// The module's export: creation, refusal and independent instances.
#include "TestHost.h"
#include "plugin/PluginAbi.h"

#include <gtest/gtest.h>

extern "C" EffectDescriptor* CHORUS_CDECL pluginMain(HostCallback callback);

namespace {

void close(EffectDescriptor* effect) {
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->dispatchEntry(effect, opClose, 0, 0, nullptr, 0.0f), 1);
}

} // namespace

TEST(ModuleEntry, WithoutCallbackNothingIsCreated) {
    EXPECT_EQ(pluginMain(nullptr), nullptr);
}

TEST(ModuleEntry, AHostAnsweringVersionZeroRefusesCreation) {
    TestHost::reset();
    TestHost::answer = [](const RecordedCall&) { return 0; };
    EXPECT_EQ(pluginMain(TestHost::callback), nullptr);
    ASSERT_EQ(TestHost::calls.size(), 1u);
    EXPECT_EQ(TestHost::calls[0].effect, nullptr);
    EXPECT_EQ(TestHost::calls[0].opcode, hostOpVersion);
}

TEST(ModuleEntry, TheDescriptorDescribesTheChorus) {
    TestHost::reset();
    EffectDescriptor* d = pluginMain(TestHost::callback);
    ASSERT_NE(d, nullptr);
    ASSERT_FALSE(TestHost::calls.empty());
    EXPECT_EQ(TestHost::calls[0].effect, nullptr);
    EXPECT_EQ(d->magic, 0x51656C50);
    EXPECT_EQ(d->programCount, 8);
    EXPECT_EQ(d->paramCount, 5);
    EXPECT_EQ(d->inputCount, 2);
    EXPECT_EQ(d->outputCount, 2);
    EXPECT_EQ(d->pluginId, 0x547A6D6F);
    EXPECT_EQ(d->pluginVersion, 1);
    EXPECT_EQ(d->inOutRatio, 1.0f);
    EXPECT_EQ(d->flags, 0x38u); // no editor in this build
    EXPECT_EQ(d->reserved1, 0);
    EXPECT_EQ(d->reserved2, 0);
    EXPECT_EQ(d->hostData, nullptr);
    EXPECT_NE(d->dispatchEntry, nullptr);
    EXPECT_NE(d->addProcessEntry, nullptr);
    EXPECT_NE(d->replaceProcessEntry, nullptr);
    EXPECT_NE(d->setParamEntry, nullptr);
    EXPECT_NE(d->getParamEntry, nullptr);
    for (size_t i = 1; i < TestHost::calls.size(); ++i) {
        EXPECT_EQ(TestHost::calls[i].effect, d);
    }
    close(d);
}

TEST(ModuleEntry, EveryCallMakesAnIndependentEffect) {
    TestHost::reset();
    EffectDescriptor* first = pluginMain(TestHost::callback);
    EffectDescriptor* second = pluginMain(TestHost::callback);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(first->owner, second->owner);
    first->setParamEntry(first, 0, 1.0f);
    EXPECT_EQ(first->getParamEntry(first, 0), 1.0f);
    EXPECT_EQ(second->getParamEntry(second, 0), 0.5f);
    close(first);
    EXPECT_EQ(second->getParamEntry(second, 0), 0.5f);
    close(second);
}
