#include "host/session/EditHistory.h"

#include "host/session/HostedPlugin.h"

#include <algorithm>

namespace chorus::host {

EditHistory::EditHistory(HostedPlugin& hosted) : plugin(hosted) {
    readValues();
}

void EditHistory::readValues() {
    const int count = plugin.descriptor() != nullptr ? plugin.descriptor()->paramCount : 0;
    values.resize(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        values[static_cast<std::size_t>(i)] = plugin.getParameter(i);
    }
}

void EditHistory::hostRequest(int32_t opcode, int32_t index, float opt) {
    if (applying || index < 0 || static_cast<std::size_t>(index) >= values.size()) {
        return;
    }
    switch (opcode) {
    case hostOpBeginGesture:
        if (std::find(openGestures.begin(), openGestures.end(), index) == openGestures.end()) {
            openGestures.push_back(index);
        }
        // What the parameter is now, also after changes the editor did not make (scheduled ones).
        values[static_cast<std::size_t>(index)] = plugin.getParameter(index);
        break;
    case hostOpAutomate:
        edited(index, opt);
        break;
    case hostOpEndGesture:
        openGestures.erase(std::remove(openGestures.begin(), openGestures.end(), index), openGestures.end());
        if (openGestures.empty() && !open.empty()) {
            push(std::move(open));
            open.clear();
        }
        break;
    default:
        break;
    }
}

// Within a gesture a parameter's changes fold into one: its value before the first, after the last.
void EditHistory::edited(int index, float value) {
    float& known = values[static_cast<std::size_t>(index)];
    const Change change{false, index, known, value};
    known = value;
    if (openGestures.empty()) {
        if (change.before != change.after) {
            push({change});
        }
        return;
    }
    const auto same = std::find_if(open.begin(), open.end(),
                                   [index](const Change& c) { return !c.program && c.index == index; });
    if (same != open.end()) {
        same->after = value;
    } else {
        open.push_back(change);
    }
}

void EditHistory::programChanged(int from, int to) {
    if (applying || from == to) {
        return;
    }
    push({Change{true, 0, static_cast<float>(from), static_cast<float>(to)}});
    readValues();
}

void EditHistory::clear() {
    done.clear();
    undone.clear();
    open.clear();
    openGestures.clear();
    readValues();
}

void EditHistory::push(Step step) {
    done.push_back(std::move(step));
    if (done.size() > maxSteps) {
        done.erase(done.begin());
    }
    undone.clear();
}

void EditHistory::apply(const Step& step, bool forward) {
    applying = true;
    const auto send = [this, forward](const Change& change) {
        const float value = forward ? change.after : change.before;
        if (change.program) {
            plugin.dispatch(opSelectProgram, 0, static_cast<intptr_t>(value));
        } else {
            plugin.setParameter(change.index, value);
        }
    };
    if (forward) {
        std::for_each(step.begin(), step.end(), send);
    } else {
        std::for_each(step.rbegin(), step.rend(), send);
    }
    applying = false;
    readValues();
}

bool EditHistory::undo() {
    return move(done, undone, false);
}

bool EditHistory::redo() {
    return move(undone, done, true);
}

// The last step of from, applied backwards (undo) or forwards (redo), goes onto to.
bool EditHistory::move(std::vector<Step>& from, std::vector<Step>& to, bool forward) {
    if (from.empty()) {
        return false;
    }
    apply(from.back(), forward);
    to.push_back(std::move(from.back()));
    from.pop_back();
    return true;
}

} // namespace chorus::host
