#include "gui/core/GuiDropTarget.h"

#include "gui/core/GuiFrame.h"

#include <cstring>
#include <memory>
#include <shlobj.h>
#include <shobjidl.h>
#include <string>
#include <vector>

namespace chorus {

namespace {

constexpr DWORD keyControlFlag = MK_CONTROL; // the key-state bit for Ctrl (8)
constexpr DWORD resolveFlags = 0x1F40003;    // no user interface, any match, time-out 500 ms in the high word
constexpr int maxWidePath = 2048;            // wide characters, terminator included
constexpr int dropKindFiles = 0;
constexpr int dropKindText = 1;

FORMATETC formatFor(CLIPFORMAT format) noexcept {
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool endsWithShortcutSuffix(const char* path) noexcept {
    const char* dot = std::strrchr(path, '.');
    return dot != nullptr && lstrcmpiA(dot, ".lnk") == 0;
}

template <typename Interface>
struct ComRelease {
    void operator()(Interface* object) const noexcept { object->Release(); }
};
template <typename Interface>
using ComPointer = std::unique_ptr<Interface, ComRelease<Interface>>;

} // namespace

GuiDropTarget::GuiDropTarget(GuiFrame* owner) noexcept : frame(owner) {}

HRESULT STDMETHODCALLTYPE GuiDropTarget::QueryInterface(REFIID id, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(id, IID_IDropTarget) || IsEqualIID(id, IID_IUnknown)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE GuiDropTarget::AddRef() {
    return static_cast<ULONG>(++referenceCount);
}

ULONG STDMETHODCALLTYPE GuiDropTarget::Release() {
    const LONG count = --referenceCount;
    if (count <= 0) {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(count);
}

DWORD GuiDropTarget::effectFor(DWORD keyState) const noexcept {
    if (!accepted) {
        return DROPEFFECT_NONE;
    }
    return (keyState & keyControlFlag) != 0 ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

HRESULT STDMETHODCALLTYPE GuiDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) {
    accepted = false;
    if (data != nullptr) {
        FORMATETC text = formatFor(CF_TEXT);
        FORMATETC files = formatFor(CF_HDROP);
        accepted = data->QueryGetData(&text) == S_OK || data->QueryGetData(&files) == S_OK;
    }
    if (effect != nullptr) {
        *effect = effectFor(keyState);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GuiDropTarget::DragOver(DWORD keyState, POINTL, DWORD* effect) {
    if (effect != nullptr) {
        *effect = effectFor(keyState);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GuiDropTarget::DragLeave() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GuiDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD*) {
    if (frame != nullptr && data != nullptr) {
        FORMATETC text = formatFor(CF_TEXT);
        FORMATETC files = formatFor(CF_HDROP);
        STGMEDIUM medium{};
        bool isText = false;
        bool gotData = false;
        if (data->GetData(&text, &medium) == S_OK) {
            isText = true;
            gotData = true;
        } else {
            medium = STGMEDIUM{};
            gotData = data->GetData(&files, &medium) == S_OK;
        }
        if (gotData) {
            // Only a global-memory medium carries the handle this code reads.
            if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
                try {
                    if (isText) {
                        dropText(medium.hGlobal);
                    } else {
                        dropFiles(medium.hGlobal);
                    }
                } catch (...) {
                    // Out of memory while collecting names: the drop is dropped.
                }
            }
            ReleaseStgMedium(&medium);
        }
    }
    DragLeave();
    return S_OK;
}

void GuiDropTarget::dropFiles(HGLOBAL memory) {
    const auto drop = static_cast<HDROP>(memory);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    if (count < 1) {
        return;
    }
    std::vector<std::string> names;
    char name[maxPathSize];
    for (UINT i = 0; i < count && names.size() < maxDroppedFiles; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        // A name that does not fit is skipped: a cut path would name another file.
        if (length == 0 || length >= maxPathSize) {
            continue;
        }
        if (DragQueryFileA(drop, i, name, static_cast<UINT>(maxPathSize)) == 0) {
            continue;
        }
        resolveShortcut(name, maxPathSize);
        names.emplace_back(name);
    }
    std::vector<char*> list;
    list.reserve(names.size());
    for (std::string& each : names) {
        list.push_back(each.data());
    }
    GuiPoint where;
    frame->getCursorInWindow(where);
    frame->onFilesDropped(list.data(), static_cast<int>(list.size()), dropKindFiles, where);
}

void GuiDropTarget::dropText(HGLOBAL memory) {
    char* text = static_cast<char*>(GlobalLock(memory));
    const SIZE_T size = GlobalSize(memory);
    if (text != nullptr && size != 0) {
        GuiPoint where;
        frame->getCursorInWindow(where);
        frame->onFilesDropped(&text, static_cast<int>(size), dropKindText, where);
    }
    if (text != nullptr) {
        GlobalUnlock(memory);
    }
}

bool resolveShortcut(char* path, std::size_t size) noexcept {
    if (path == nullptr || size == 0 || !endsWithShortcutSuffix(path)) {
        return false;
    }
    IShellLinkA* rawLink = nullptr;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void**>(&rawLink)) != S_OK ||
        rawLink == nullptr) {
        return false;
    }
    const ComPointer<IShellLinkA> link(rawLink);
    IPersistFile* rawFile = nullptr;
    if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)) != S_OK ||
        rawFile == nullptr) {
        return false;
    }
    const ComPointer<IPersistFile> file(rawFile);
    wchar_t widePath[maxWidePath];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, maxWidePath) == 0) {
        return false;
    }
    if (file->Load(widePath, STGM_READ) != S_OK) {
        return false;
    }
    if (link->Resolve(nullptr, resolveFlags) != S_OK) {
        return false;
    }
    // Read into a scratch buffer first so that a failed read leaves the path as it was.
    char target[GuiDropTarget::maxPathSize];
    const std::size_t limit = size < sizeof target ? size : sizeof target;
    target[0] = '\0';
    if (link->GetPath(target, static_cast<int>(limit), nullptr, SLGP_SHORTPATH) != S_OK ||
        target[0] == '\0') {
        return false;
    }
    // A target that fills the whole buffer may have been cut: keep the shortcut's own path then.
    if (std::strlen(target) + 1 >= limit) {
        return false;
    }
    // Some shell implementations hand out the long form despite the flag: ask the file system for the
    // short one (already short paths come back unchanged; a target that no longer exists keeps its form).
    char shortTarget[GuiDropTarget::maxPathSize];
    const DWORD shortLength = GetShortPathNameA(target, shortTarget, static_cast<DWORD>(limit));
    if (shortLength > 0 && shortLength < limit) {
        std::memcpy(target, shortTarget, shortLength + 1);
    }
    std::memcpy(path, target, std::strlen(target) + 1);
    return true;
}

} // namespace chorus
