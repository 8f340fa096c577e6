#include "gui/core/GuiDropTarget.h"

#include "gui/controls/GuiNumberText.h"
#include "tests/controls/ControlTestSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <shlobj.h>
#include <string>
#include <windows.h>

namespace chorus {
namespace {

using test::ScriptedPlatform;
using Strings = std::vector<std::string>;

// COM test objects delete themselves in Release, never through a base pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Frees a medium's memory when the receiver releases the medium, and counts that.
class MediumOwner final : public IUnknown {
public:
    MediumOwner(HGLOBAL owned, int& counter) : memory(owned), releases(counter) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--count == 0) {
            ++releases;
            GlobalFree(memory);
            delete this;
            return 0;
        }
        return count;
    }

private:
    ULONG count = 1;
    HGLOBAL memory;
    int& releases;
};

// A data object offering text and/or a file list in global memory.
class TestData final : public IDataObject {
public:
    std::optional<std::string> text;
    std::optional<Strings> files;
    int mediumReleases = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IDataObject) || IsEqualIID(id, IID_IUnknown)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
    ULONG STDMETHODCALLTYPE Release() override { return --count; } // lives on the test's stack

    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return offers(format) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!offers(format)) {
            return DV_E_FORMATETC;
        }
        HGLOBAL memory = format->cfFormat == CF_TEXT ? textMemory() : fileMemory();
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = new MediumOwner(memory, mediumReleases);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    bool offers(const FORMATETC* format) const {
        if (format == nullptr || (format->tymed & TYMED_HGLOBAL) == 0) {
            return false;
        }
        return (format->cfFormat == CF_TEXT && text) || (format->cfFormat == CF_HDROP && files);
    }
    HGLOBAL textMemory() const {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text->size() + 1);
        std::memcpy(GlobalLock(memory), text->c_str(), text->size() + 1);
        GlobalUnlock(memory);
        return memory;
    }
    HGLOBAL fileMemory() const {
        std::string names;
        for (const std::string& name : *files) {
            names += name;
            names += '\0';
        }
        names += '\0';
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
        auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
        header->pFiles = sizeof(DROPFILES);
        header->fWide = FALSE;
        std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size());
        GlobalUnlock(memory);
        return memory;
    }

    ULONG count = 1;
};

#pragma GCC diagnostic pop

// A view that takes drops and records them.
class DropSink final : public GuiView {
public:
    explicit DropSink(const GuiRect& area, bool takes = true) : GuiView(area), accepts(takes) {}
    bool onFilesDropped(const char* const* data, std::int32_t count, std::int32_t kind,
                        GuiPoint where) override {
        ++drops;
        lastKind = kind;
        lastCount = count;
        lastWhere = where;
        names.clear();
        text.clear();
        if (kind == dropFileList) {
            for (std::int32_t i = 0; i < count; ++i) {
                names.emplace_back(data[i]);
            }
        } else {
            text = data[0];
        }
        return accepts;
    }
    bool accepts;
    int drops = 0;
    std::int32_t lastKind = -1;
    std::int32_t lastCount = -1;
    GuiPoint lastWhere;
    Strings names;
    std::string text;
};

class DropTarget : public ::testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        fixture.frame->addChild(lower);
        fixture.frame->addChild(upper);
        platform.setCursor({30, 30}); // over both sinks: the later one is on top
        target = new GuiDropTarget(fixture.frame);
        target->AddRef();
    }
    void TearDown() override {
        target->Release();
        OleUninitialize();
    }
    DWORD enter(IDataObject* data, DWORD keys) {
        DWORD effect = 0xFFFF;
        EXPECT_EQ(target->DragEnter(data, keys, POINTL{0, 0}, &effect), S_OK);
        return effect;
    }
    void drop(IDataObject* data) {
        DWORD effect = 0xABCD;
        EXPECT_EQ(target->Drop(data, 0, POINTL{900, 900}, &effect), S_OK);
        EXPECT_EQ(effect, 0xABCDu); // the drop leaves the effect alone
    }

    ScriptedPlatform platform;
    test::FrameFixture fixture;
    DropSink* lower = new DropSink({0, 0, 100, 100});
    DropSink* upper = new DropSink({20, 20, 60, 60});
    GuiDropTarget* target = nullptr;
};

TEST_F(DropTarget, QueryInterfaceKnowsOnlyTheDropTargetAndIUnknown) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(target->QueryInterface(IID_IDataObject, &object), static_cast<HRESULT>(0x80004002));
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(target->QueryInterface(IID_IDropTarget, &object), S_OK);
    EXPECT_EQ(object, static_cast<IDropTarget*>(target));
    ASSERT_EQ(target->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(target->Release(), 2u);
    EXPECT_EQ(target->Release(), 1u);
    EXPECT_EQ(target->QueryInterface(IID_IDropTarget, nullptr), E_POINTER);
}

TEST_F(DropTarget, CtrlCopiesOtherwiseMovesAndUnsupportedDataGivesNone) {
    TestData text;
    text.text = "hello";
    EXPECT_EQ(enter(&text, 0), static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(enter(&text, MK_CONTROL), static_cast<DWORD>(DROPEFFECT_COPY));
    DWORD effect = 0;
    target->DragOver(MK_CONTROL | MK_LBUTTON, POINTL{}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    target->DragOver(MK_LBUTTON, POINTL{}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));

    TestData files;
    files.files = Strings{"C:\\a.wav"};
    EXPECT_EQ(enter(&files, 0), static_cast<DWORD>(DROPEFFECT_MOVE));

    TestData nothing;
    EXPECT_EQ(enter(&nothing, MK_CONTROL), static_cast<DWORD>(DROPEFFECT_NONE));
    target->DragOver(MK_CONTROL, POINTL{}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(enter(nullptr, 0), static_cast<DWORD>(DROPEFFECT_NONE));
    drop(&nothing);
    EXPECT_EQ(upper->drops + lower->drops, 0);
}

TEST_F(DropTarget, TextReachesTheTopmostViewUnderTheCursorAndTheMediumIsReleased) {
    TestData text;
    text.text = "a block of text";
    enter(&text, 0);
    drop(&text);
    ASSERT_EQ(upper->drops, 1);
    EXPECT_EQ(lower->drops, 0);
    EXPECT_EQ(upper->lastKind, dropTextBlock);
    EXPECT_EQ(upper->text, "a block of text");
    EXPECT_GE(upper->lastCount, 16);                 // the block's size, terminator included
    EXPECT_EQ(upper->lastWhere, (GuiPoint{30, 30})); // the cursor, not the system's drop point
    EXPECT_EQ(text.mediumReleases, 1);

    // A view that declines passes the drop to the one below.
    upper->accepts = false;
    drop(&text);
    EXPECT_EQ(upper->drops, 2);
    EXPECT_EQ(lower->drops, 1);
    EXPECT_EQ(text.mediumReleases, 2);

    // Text wins over files.
    upper->accepts = true;
    TestData both;
    both.text = "words";
    both.files = Strings{"C:\\x.wav"};
    drop(&both);
    EXPECT_EQ(upper->lastKind, dropTextBlock);
    EXPECT_EQ(upper->text, "words");
}

TEST_F(DropTarget, FileListSkipsNamesThatDoNotFitAndReleasesTheMedium) {
    TestData files;
    const std::string tooLong = "C:\\" + std::string(GuiDropTarget::maxPathSize, 'n') + ".wav";
    files.files = Strings{"C:\\one.wav", tooLong, "C:\\three.WAV"};
    drop(&files);
    ASSERT_EQ(upper->drops, 1);
    EXPECT_EQ(upper->lastKind, dropFileList);
    EXPECT_EQ(upper->lastCount, 2);
    EXPECT_EQ(upper->names, (Strings{"C:\\one.wav", "C:\\three.WAV"}));
    EXPECT_EQ(files.mediumReleases, 1);
    // More names than one drop hands on: the first ones arrive, the rest are skipped.
    Strings many;
    for (unsigned i = 0; i < GuiDropTarget::maxDroppedFiles + 5; ++i) {
        many.push_back("C:\\f" + std::to_string(i));
    }
    files.files = many;
    drop(&files);
    EXPECT_EQ(upper->lastCount, static_cast<std::int32_t>(GuiDropTarget::maxDroppedFiles));
    EXPECT_EQ(upper->names.back(), many[GuiDropTarget::maxDroppedFiles - 1]);
    EXPECT_EQ(files.mediumReleases, 2);
}

TEST_F(DropTarget, NothingReachesViewsWhileTheFrameHasAFocusChild) {
    TestData text;
    text.text = "ignored";
    fixture.frame->setFocusChild(lower);
    drop(&text);
    EXPECT_EQ(upper->drops + lower->drops, 0);
    EXPECT_EQ(text.mediumReleases, 1);
    fixture.frame->setFocusChild(nullptr);
}

std::string tempPath(const char* name) {
    char directory[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + name;
}

// Writes a shortcut file at link pointing to target, through the shell's link object.
bool makeShortcut(const std::string& link, const std::string& target) {
    IShellLinkA* shell = nullptr;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void**>(&shell)) != S_OK) {
        return false;
    }
    shell->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    bool saved = false;
    if (shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)) == S_OK) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        saved = file->Save(wide, TRUE) == S_OK;
        file->Release();
    }
    shell->Release();
    return saved;
}

TEST_F(DropTarget, ShortcutsAreDeliveredAsTheirTargetsShortPath) {
    const std::string targetFile = tempPath("chorus drop target with a long name.txt");
    HANDLE created = CreateFileA(targetFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    CloseHandle(created);
    const std::string link = tempPath("chorus-song.LNK");
    ASSERT_TRUE(makeShortcut(link, targetFile));
    char shortTarget[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA(targetFile.c_str(), shortTarget, MAX_PATH), 0u);

    const std::string notShortcut = tempPath("song.lnk.txt");
    const std::string missing = tempPath("no-such-shortcut.lnk");
    TestData files;
    files.files = Strings{link, notShortcut, missing};
    drop(&files);
    ASSERT_EQ(upper->lastCount, 3);
    EXPECT_EQ(lstrcmpiA(upper->names[0].c_str(), shortTarget), 0) << upper->names[0];
    EXPECT_EQ(upper->names[1], notShortcut);
    EXPECT_EQ(upper->names[2], missing); // cannot be resolved: passed on under its own path

    char path[GuiDropTarget::maxPathSize];
    copyText(path, sizeof path, link.c_str());
    EXPECT_TRUE(resolveShortcut(path, sizeof path));
    EXPECT_EQ(lstrcmpiA(path, shortTarget), 0);
    copyText(path, sizeof path, link.c_str());
    EXPECT_FALSE(resolveShortcut(path, 8)); // the target does not fit: the path stays
    EXPECT_EQ(std::string(path), link);
    copyText(path, sizeof path, "C:\\folder.lnk\\file");
    EXPECT_FALSE(resolveShortcut(path, sizeof path));
    EXPECT_STREQ(path, "C:\\folder.lnk\\file");

    DeleteFileA(link.c_str());
    DeleteFileA(targetFile.c_str());
}

TEST(DropTargetRegistration, TheFramesWindowHasATargetUntilTheFrameGoes) {
    OleInitialize(nullptr);
    test::HostWindow host;
    HWND window = nullptr;
    {
        test::FrameFixture fixture(host.get());
        window = fixture.frame->getWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(fixture.frame->isDropEnabled());
        auto* second = new GuiDropTarget(nullptr);
        second->AddRef();
        EXPECT_EQ(RegisterDragDrop(window, second), DRAGDROP_E_ALREADYREGISTERED);
        second->Release();
    }
    EXPECT_FALSE(IsWindow(window));
    OleUninitialize();
}

} // namespace
} // namespace chorus
