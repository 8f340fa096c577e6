#include "host/validate/ResourceCounter.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <unordered_set>
#include <windows.h>

namespace chorus::host {

namespace {

std::atomic<long long> liveBlocks{0};
std::atomic<long long> deviceContexts{0};
// GDI objects and windows are remembered by handle: a delete of something the module did not make (a stock
// object) must not count, and a child window goes with its parent without a call of its own.
std::mutex handlesMutex;
std::unordered_set<void*> gdiMade;
std::unordered_set<void*> windowsMade;
std::atomic<long long> kernelHandles{0};
thread_local bool counting = false;
thread_local long long counted = 0;

void allocated() {
    liveBlocks.fetch_add(1, std::memory_order_relaxed);
    if (counting) {
        ++counted;
    }
}

// The originals, filled in when the module's imports are redirected.
void*(__cdecl* realMalloc)(size_t) = nullptr;
void*(__cdecl* realCalloc)(size_t, size_t) = nullptr;
void*(__cdecl* realRealloc)(void*, size_t) = nullptr;
void(__cdecl* realFree)(void*) = nullptr;
decltype(&CreateBitmap) realCreateBitmap = nullptr;
decltype(&CreateCompatibleBitmap) realCreateCompatibleBitmap = nullptr;
decltype(&CreateCompatibleDC) realCreateCompatibleDC = nullptr;
decltype(&CreateFontIndirectA) realCreateFontIndirectA = nullptr;
decltype(&CreatePen) realCreatePen = nullptr;
decltype(&CreateSolidBrush) realCreateSolidBrush = nullptr;
decltype(&LoadBitmapA) realLoadBitmapA = nullptr;
decltype(&DeleteObject) realDeleteObject = nullptr;
decltype(&DeleteDC) realDeleteDC = nullptr;
decltype(&GetDC) realGetDC = nullptr;
decltype(&ReleaseDC) realReleaseDC = nullptr;
decltype(&CreateWindowExA) realCreateWindowExA = nullptr;
decltype(&DestroyWindow) realDestroyWindow = nullptr;
decltype(&CreateEventA) realCreateEventA = nullptr;
decltype(&CreateSemaphoreA) realCreateSemaphoreA = nullptr;
decltype(&CloseHandle) realCloseHandle = nullptr;

void* __cdecl countingMalloc(size_t size) {
    void* block = realMalloc(size);
    if (block != nullptr) {
        allocated();
    }
    return block;
}
void* __cdecl countingCalloc(size_t count, size_t size) {
    void* block = realCalloc(count, size);
    if (block != nullptr) {
        allocated();
    }
    return block;
}
void* __cdecl countingRealloc(void* old, size_t size) {
    void* block = realRealloc(old, size);
    if (old == nullptr && block != nullptr) {
        allocated();
    } else if (old != nullptr && size == 0) {
        liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    } else if (counting) {
        ++counted; // a move is an allocation too
    }
    return block;
}
void __cdecl countingFree(void* block) {
    if (block != nullptr) {
        liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    }
    realFree(block);
}

void remember(std::unordered_set<void*>& set, void* handle) {
    if (handle != nullptr) {
        std::lock_guard<std::mutex> lock(handlesMutex);
        set.insert(handle);
    }
}

void forget(std::unordered_set<void*>& set, void* handle) {
    std::lock_guard<std::mutex> lock(handlesMutex);
    set.erase(handle);
}

template <typename H>
H madeGdi(H handle) {
    remember(gdiMade, handle);
    return handle;
}

HBITMAP WINAPI countingCreateBitmap(int w, int h, UINT planes, UINT bits, const void* data) {
    return madeGdi(realCreateBitmap(w, h, planes, bits, data));
}
HBITMAP WINAPI countingCreateCompatibleBitmap(HDC dc, int w, int h) {
    return madeGdi(realCreateCompatibleBitmap(dc, w, h));
}
HDC WINAPI countingCreateCompatibleDC(HDC dc) {
    return madeGdi(realCreateCompatibleDC(dc));
}
HFONT WINAPI countingCreateFontIndirectA(const LOGFONTA* font) {
    return madeGdi(realCreateFontIndirectA(font));
}
HPEN WINAPI countingCreatePen(int style, int width, COLORREF color) {
    return madeGdi(realCreatePen(style, width, color));
}
HBRUSH WINAPI countingCreateSolidBrush(COLORREF color) {
    return madeGdi(realCreateSolidBrush(color));
}
HBITMAP WINAPI countingLoadBitmapA(HINSTANCE instance, LPCSTR name) {
    return madeGdi(realLoadBitmapA(instance, name));
}
BOOL WINAPI countingDeleteObject(HGDIOBJ object) {
    const BOOL done = realDeleteObject(object);
    if (done) {
        forget(gdiMade, object);
    }
    return done;
}
BOOL WINAPI countingDeleteDC(HDC dc) {
    const BOOL done = realDeleteDC(dc);
    if (done) {
        forget(gdiMade, dc);
    }
    return done;
}
HDC WINAPI countingGetDC(HWND window) {
    HDC dc = realGetDC(window);
    if (dc != nullptr) {
        deviceContexts.fetch_add(1, std::memory_order_relaxed);
    }
    return dc;
}
int WINAPI countingReleaseDC(HWND window, HDC dc) {
    const int done = realReleaseDC(window, dc);
    if (done != 0) {
        deviceContexts.fetch_sub(1, std::memory_order_relaxed);
    }
    return done;
}
HWND WINAPI countingCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                                    int w, int h, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    HWND window =
        realCreateWindowExA(exStyle, className, title, style, x, y, w, h, parent, menu, instance, param);
    remember(windowsMade, window);
    return window;
}
BOOL WINAPI countingDestroyWindow(HWND window) {
    const BOOL done = realDestroyWindow(window);
    if (done) {
        forget(windowsMade, window);
    }
    return done;
}
HANDLE WINAPI countingCreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manual, BOOL initial, LPCSTR name) {
    HANDLE handle = realCreateEventA(security, manual, initial, name);
    if (handle != nullptr) {
        kernelHandles.fetch_add(1, std::memory_order_relaxed);
    }
    return handle;
}
HANDLE WINAPI countingCreateSemaphoreA(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum,
                                       LPCSTR name) {
    HANDLE handle = realCreateSemaphoreA(security, initial, maximum, name);
    if (handle != nullptr) {
        kernelHandles.fetch_add(1, std::memory_order_relaxed);
    }
    return handle;
}
BOOL WINAPI countingCloseHandle(HANDLE handle) {
    const BOOL done = realCloseHandle(handle);
    if (done) {
        kernelHandles.fetch_sub(1, std::memory_order_relaxed);
    }
    return done;
}

struct Redirect {
    const char* library;
    const char* function;
    void* wrapper;
    void** original;
};

template <typename F>
Redirect redirect(const char* library, const char* function, F wrapper, F& original) {
    return {library, function, reinterpret_cast<void*>(wrapper), reinterpret_cast<void**>(&original)};
}

// Rewrites the module's import address table entries named in the list; answers how many were found.
int patchImports(HMODULE module, const Redirect* redirects, size_t count) {
    auto* base = reinterpret_cast<std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return 0;
    }
    int found = 0;
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        const char* library = reinterpret_cast<const char*>(base + import->Name);
        if (import->OriginalFirstThunk == 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const char* function = reinterpret_cast<const char*>(byName->Name);
            for (size_t r = 0; r < count; ++r) {
                if (lstrcmpiA(library, redirects[r].library) != 0 ||
                    std::strcmp(function, redirects[r].function) != 0) {
                    continue;
                }
                DWORD previous = 0;
                if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                                    &previous)) {
                    continue;
                }
                *redirects[r].original = reinterpret_cast<void*>(slots->u1.Function);
                slots->u1.Function = reinterpret_cast<decltype(slots->u1.Function)>(redirects[r].wrapper);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, previous, &previous);
                ++found;
            }
        }
    }
    return found;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<long long*>(count);
    }
    return TRUE;
}

} // namespace

std::string ResourceCounter::install(const void* moduleAddress) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(moduleAddress), &module)) {
        return "cannot find the module's image";
    }
    const Redirect redirects[] = {
        redirect("msvcrt.dll", "malloc", countingMalloc, realMalloc),
        redirect("msvcrt.dll", "calloc", countingCalloc, realCalloc),
        redirect("msvcrt.dll", "realloc", countingRealloc, realRealloc),
        redirect("msvcrt.dll", "free", countingFree, realFree),
        redirect("gdi32.dll", "CreateBitmap", countingCreateBitmap, realCreateBitmap),
        redirect("gdi32.dll", "CreateCompatibleBitmap", countingCreateCompatibleBitmap,
                 realCreateCompatibleBitmap),
        redirect("gdi32.dll", "CreateCompatibleDC", countingCreateCompatibleDC, realCreateCompatibleDC),
        redirect("gdi32.dll", "CreateFontIndirectA", countingCreateFontIndirectA, realCreateFontIndirectA),
        redirect("gdi32.dll", "CreatePen", countingCreatePen, realCreatePen),
        redirect("gdi32.dll", "CreateSolidBrush", countingCreateSolidBrush, realCreateSolidBrush),
        redirect("gdi32.dll", "DeleteObject", countingDeleteObject, realDeleteObject),
        redirect("gdi32.dll", "DeleteDC", countingDeleteDC, realDeleteDC),
        redirect("user32.dll", "LoadBitmapA", countingLoadBitmapA, realLoadBitmapA),
        redirect("user32.dll", "GetDC", countingGetDC, realGetDC),
        redirect("user32.dll", "ReleaseDC", countingReleaseDC, realReleaseDC),
        redirect("user32.dll", "CreateWindowExA", countingCreateWindowExA, realCreateWindowExA),
        redirect("user32.dll", "DestroyWindow", countingDestroyWindow, realDestroyWindow),
        redirect("kernel32.dll", "CreateEventA", countingCreateEventA, realCreateEventA),
        redirect("kernel32.dll", "CreateSemaphoreA", countingCreateSemaphoreA, realCreateSemaphoreA),
        redirect("kernel32.dll", "CloseHandle", countingCloseHandle, realCloseHandle),
    };
    const int found = patchImports(module, redirects, sizeof redirects / sizeof redirects[0]);
    if (realMalloc == nullptr || realFree == nullptr) {
        return "cannot count allocations: the module imports no malloc and free from msvcrt.dll";
    }
    return "counted through " + std::to_string(found) +
           " redirected imports of the module (C runtime allocator, GDI objects, window DCs, windows, kernel "
           "handles) and by enumerating the process's top-level windows";
}

ResourceCounter::Snapshot ResourceCounter::snapshot() {
    Snapshot s;
    s.liveBlocks = liveBlocks.load(std::memory_order_relaxed);
    s.deviceContexts = realReleaseDC != nullptr ? deviceContexts.load(std::memory_order_relaxed) : -1;
    {
        // Only what still exists counts: a handle the module lost track of stays alive and is counted.
        std::lock_guard<std::mutex> lock(handlesMutex);
        std::erase_if(windowsMade, [](void* w) { return !IsWindow(static_cast<HWND>(w)); });
        std::erase_if(gdiMade, [](void* o) { return GetObjectType(static_cast<HGDIOBJ>(o)) == 0; });
        s.gdiObjects = realDeleteObject != nullptr ? static_cast<long long>(gdiMade.size()) : -1;
        s.windows = realDestroyWindow != nullptr ? static_cast<long long>(windowsMade.size()) : -1;
    }
    s.kernelHandles = realCloseHandle != nullptr ? kernelHandles.load(std::memory_order_relaxed) : -1;
    long long topLevel = 0;
    EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&topLevel));
    s.processWindows = topLevel;
    return s;
}

void ResourceCounter::countThisThread(bool on) {
    counting = on;
}

long long ResourceCounter::threadAllocations() {
    return counted;
}

} // namespace chorus::host
