#pragma once

// Included only by the frame's implementation and by tests: it needs the system's OLE declarations.
#include <cstddef>
#include <ole2.h>

namespace chorus {

class GuiFrame;

// COM interfaces have no virtual destructor: the object deletes itself in Release, never through a base.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The OLE drop target the frame registers for its window. It accepts plain text and file lists, shows
// copy with Ctrl held and move otherwise, and hands a drop to the frame's onFilesDropped: file names
// (shortcuts replaced by their targets) or the text block.
class GuiDropTarget final : public IDropTarget {
public:
    // Longest file name handed on, terminator included; longer names are skipped, never cut.
    static constexpr std::size_t maxPathSize = 1024;
    // Most names handed on from one drop; the rest are skipped.
    static constexpr unsigned maxDroppedFiles = 4096;

    // The count starts at 0: the registration with the system takes the first reference.
    explicit GuiDropTarget(GuiFrame* frame) noexcept;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

private:
    ~GuiDropTarget() = default;

    DWORD effectFor(DWORD keyState) const noexcept;
    void dropFiles(HGLOBAL memory);
    void dropText(HGLOBAL memory);

    LONG referenceCount = 0;
    bool accepted = false;
    GuiFrame* frame = nullptr;
};

#pragma GCC diagnostic pop

// Replaces a path naming a shortcut (".lnk", any case) by the short form of the shortcut's target.
// path is a buffer of size bytes. Answers false, leaving the path unchanged, when the path is not a
// shortcut or the shortcut cannot be resolved.
bool resolveShortcut(char* path, std::size_t size) noexcept;

} // namespace chorus
