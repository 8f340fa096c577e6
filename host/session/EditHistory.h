#pragma once

#include "host/session/HostListener.h"

#include <cstddef>
#include <vector>

namespace chorus::host {

class HostedPlugin;

// The parameter edits and program changes made while an editor is open, as steps to undo and redo. A
// gesture (the editor's begin-edit and end-edit requests around a drag; several parameters when a pad moves
// two) is one step; an edit outside a gesture is a step of its own; a program change is a step. Undo and redo
// reach the plug-in as ordinary parameter and program changes, so the sound follows. Used on one thread: the
// one the editor makes its requests on.
class EditHistory final : public HostListener {
public:
    static constexpr std::size_t maxSteps = 1000; // the oldest step goes beyond

    // Reads the plug-in's parameters and program as the state before any step.
    explicit EditHistory(HostedPlugin& plugin);
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // The plug-in's automate, begin-edit and end-edit requests.
    void hostRequest(int32_t opcode, int32_t index, float opt) override;
    // The host selected another program (from the window: keys or a menu).
    void programChanged(int from, int to);
    // The plug-in's state was replaced (a preset loaded): no step reaches across it.
    void clear();

    bool canUndo() const noexcept { return !done.empty(); }
    bool canRedo() const noexcept { return !undone.empty(); }
    // Take back, or make again, the last step; false when there is none.
    bool undo();
    bool redo();

private:
    struct Change {
        bool program = false; // else a parameter
        int index = 0;        // the parameter
        float before = 0.0f;  // a value, or a program number
        float after = 0.0f;
    };
    using Step = std::vector<Change>;

    void edited(int index, float value);
    void push(Step step);
    void apply(const Step& step, bool forward);
    bool move(std::vector<Step>& from, std::vector<Step>& to, bool forward);
    void readValues();

    HostedPlugin& plugin;
    std::vector<float> values; // as last seen, for an edit's value before
    std::vector<int> openGestures;
    Step open; // the changes of the gestures under way
    std::vector<Step> done;
    std::vector<Step> undone;
    bool applying = false; // our own changes are not edits
};

} // namespace chorus::host
