#include "plugin/EditorFactory.h"

namespace chorus {

// Builds without a GUI: the effect runs without editor.
EditorInterface* createEditor(PluginBaseEx&, ParameterSet&) {
    return nullptr;
}

} // namespace chorus
