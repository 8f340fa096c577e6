#pragma once

namespace chorus {

class EditorInterface;
class ParameterSet;
class PluginBaseEx;

// The effect's only way to an editor. Exactly one implementation is linked into a module: the headless one
// (no editor) or the GUI's. A null answer leaves the effect without editor and flagHasEditor clear.
// The editor attaches itself to the effect (PluginBase::setEditor) in its constructor; the effect then owns
// it.
EditorInterface* createEditor(PluginBaseEx& effect, ParameterSet& parameters);

} // namespace chorus
