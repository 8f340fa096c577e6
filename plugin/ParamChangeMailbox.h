#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace chorus {

class ParameterSet;

// Hands parameter changes from any thread to the editor's window thread without locks: per parameter the
// latest value and a changed flag, a flag for a loaded program, and one for anything else that only wants
// a redraw. Posting never waits or allocates; the window thread takes what was posted on its next idle.
class ParamChangeMailbox {
public:
    explicit ParamChangeMailbox(int32_t count);
    ParamChangeMailbox(const ParamChangeMailbox&) = delete;
    ParamChangeMailbox& operator=(const ParamChangeMailbox&) = delete;

    // Makes the calling thread the one that shows changes (the editor's window thread, at open).
    void bindToCurrentThread() noexcept;
    bool onBoundThread() const noexcept;

    // Any thread: records a change. An index outside the table only asks for a redraw.
    void post(int32_t index, float value) noexcept;
    void postProgramChange() noexcept;

    // Window thread: takes every recorded change and calls show(index, normalised value) for each changed
    // parameter (every parameter after a program change), in index order. The value shown is the one
    // posted while the parameter set still holds it, else the set's own: when two threads raced on a
    // parameter, the set's value is the one that lasts. Answers whether anything was taken.
    template <typename Show>
    bool take(const ParameterSet& parameters, Show show);
    // Forgets everything recorded (an editor about to read every value afresh).
    void clear() noexcept;

    int32_t getCount() const noexcept { return count; }

private:
    struct Slot {
        std::atomic<float> value{0.0f};
        std::atomic<bool> changed{false};
    };
    static_assert(std::atomic<float>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

    // The value to show for a parameter: the posted one when the set still holds it.
    static float valueToShow(const ParameterSet& parameters, int32_t index, bool posted, float value);

    int32_t count;
    std::unique_ptr<Slot[]> slots;
    std::atomic<bool> programChanged{false};
    std::atomic<bool> otherChanged{false};
    std::atomic<std::uint32_t> boundThread{0};
};

template <typename Show>
bool ParamChangeMailbox::take(const ParameterSet& parameters, Show show) {
    const bool program = programChanged.exchange(false, std::memory_order_acq_rel);
    bool any = otherChanged.exchange(false, std::memory_order_acq_rel) || program;
    for (int32_t i = 0; i < count; ++i) {
        Slot& slot = slots[static_cast<std::size_t>(i)];
        const bool posted = slot.changed.exchange(false, std::memory_order_acq_rel);
        if (posted || program) {
            show(i, valueToShow(parameters, i, posted, slot.value.load(std::memory_order_relaxed)));
            any = true;
        }
    }
    return any;
}

} // namespace chorus
