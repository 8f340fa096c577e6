#pragma once

// Win32 handle types for headers that must not pull in <windows.h>. These are the same incomplete
// structs the system headers declare (with STRICT), so the aliases convert to HDC, HWND... with no cast.
struct HDC__;
struct HWND__;
struct HBITMAP__;
struct HBRUSH__;
struct HPEN__;
struct HFONT__;
struct HINSTANCE__;
struct HICON__;

namespace chorus {

using GuiDCHandle = HDC__*;
using GuiWindowHandle = HWND__*;
using GuiBitmapHandle = HBITMAP__*;
using GuiBrushHandle = HBRUSH__*;
using GuiPenHandle = HPEN__*;
using GuiFontHandle = HFONT__*;
using GuiInstanceHandle = HINSTANCE__*;
using GuiCursorHandle = HICON__*;
using GuiObjectHandle = void*; // any GDI object (HGDIOBJ)

} // namespace chorus
