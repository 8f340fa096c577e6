#include "editor/ChorusEditor.h"
#include "plugin/EditorFactory.h"

#include <new>

namespace chorus {

// The module's editor: the chorus editor, which attaches itself to the effect.
EditorInterface* createEditor(PluginBaseEx& effect, ParameterSet& parameters) {
    return new (std::nothrow) ChorusEditor(&effect, &parameters);
}

} // namespace chorus
