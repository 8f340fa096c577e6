#pragma once

#include "plugin/EditorInterface.h"
#include "plugin/PluginBase.h"

#include <utility>
#include <vector>

// An editor that records what the effect and the dispatcher ask of it.
class FakeEditor : public chorus::EditorInterface {
public:
    explicit FakeEditor(chorus::PluginBase& effect, int* destroyed = nullptr) : destroyedCounter(destroyed) {
        effect.setEditor(this);
        rect = {0, 0, 226, 238};
    }
    ~FakeEditor() override {
        if (destroyedCounter != nullptr) {
            ++*destroyedCounter;
        }
    }

    int32_t editorRect(EditorRect** out) override {
        *out = &rect;
        return 1;
    }
    int32_t keyDown(KeyRecord* key) override {
        lastKey = *key;
        return keyAnswer;
    }
    int32_t setKnobMode(int32_t mode) override {
        knobMode = mode;
        return 1;
    }
    bool wheel(float distance) override {
        wheelDistances.push_back(distance);
        return wheelAnswer;
    }
    void paramChanged(int32_t index, float value) override { changes.emplace_back(index, value); }
    void sampleRateChanged(float rate) override { rates.push_back(rate); }

    EditorRect rect;
    KeyRecord lastKey{};
    int32_t keyAnswer = 1;
    int32_t knobMode = -1;
    bool wheelAnswer = true;
    std::vector<float> wheelDistances;
    std::vector<std::pair<int32_t, float>> changes;
    std::vector<float> rates;

private:
    int* destroyedCounter;
};
