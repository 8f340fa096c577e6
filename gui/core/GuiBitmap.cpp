#include "gui/core/GuiBitmap.h"

#include "gui/core/GuiDrawContext.h"
#include "gui/core/GuiMemoryDC.h"
#include "gui/core/GuiModule.h"
#include "gui/core/GuiSelection.h"

#include <windows.h>

namespace chorus {

namespace {

constexpr std::uint32_t resourceIdMask = 0xFFFF; // resource ids are 16-bit

bool readSize(GuiBitmapHandle handle, std::int32_t& width, std::int32_t& height) {
    BITMAP info{};
    if (handle == nullptr || GetObjectA(handle, sizeof info, &info) == 0) {
        return false;
    }
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
}

// Copies a w x h block from the source to the device rectangle `to`: exactly when the sizes agree, else
// stretched by repeating pixels, which keeps key colours and mask bits exact (a zoomed editor).
void copyBlock(HDC target, const GuiRect& to, HDC source, GuiPoint from, int w, int h, DWORD operation) {
    if (to.width() == w && to.height() == h) {
        BitBlt(target, to.left, to.top, w, h, source, from.h, from.v, operation);
        return;
    }
    const int previousMode = SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, to.left, to.top, to.width(), to.height(), source, from.h, from.v, w, h, operation);
    SetStretchBltMode(target, previousMode);
}

} // namespace

GuiBitmap::GuiBitmap(std::int32_t id) : resourceId(id) {
    const auto lowBits = static_cast<WORD>(static_cast<std::uint32_t>(id) & resourceIdMask);
    bitmap.reset(LoadBitmapA(GuiModule::instance(), MAKEINTRESOURCEA(lowBits)));
    if (!readSize(bitmap.asBitmap(), width, height)) {
        width = height = 0;
    }
}

GuiBitmap::GuiBitmap(GuiBitmapHandle adopted, std::int32_t id) : resourceId(id), bitmap(adopted) {
    if (!readSize(bitmap.asBitmap(), width, height)) {
        width = height = 0;
    }
}

GuiBitmap::~GuiBitmap() = default;

void GuiBitmap::retain() noexcept {
    ++refCount;
}

void GuiBitmap::assign(GuiBitmap*& holder, GuiBitmap* next) noexcept {
    if (next != nullptr) {
        next->retain();
    }
    if (holder != nullptr) {
        holder->release();
    }
    holder = next;
}

void GuiBitmap::release() noexcept {
    if (refCount <= 0) {
        return;
    }
    if (--refCount == 0) {
        delete this;
    }
}

void GuiBitmap::setKeyColor(GuiColor color) noexcept {
    if (!(color == keyColor)) {
        // A mask built for the old key would let the wrong pixels through.
        keyMask.reset();
    }
    keyColor = color;
}

void GuiBitmap::blit(GuiDrawContext& context, const GuiRect& rect, GuiPoint offset) {
    if (!bitmap || context.getDC() == nullptr) {
        return;
    }
    GuiMemoryDC source(context.getDC());
    if (!source) {
        return;
    }
    GuiSelection selected(source.get(), bitmap.get());
    copyBlock(context.getDC(), context.toDevice(rect), source.get(), offset, rect.width(), rect.height(),
              SRCCOPY);
}

void GuiBitmap::blitKeyed(GuiDrawContext& context, const GuiRect& rect, GuiPoint offset) {
    HDC target = context.getDC();
    if (!bitmap || target == nullptr) {
        return;
    }
    if (!keyMask) {
        keyMask = createKeyMask(target, bitmap.asBitmap(), keyColor);
        if (!keyMask) {
            return;
        }
    }
    const int sourceW = rect.width();
    const int sourceH = rect.height();
    if (sourceW <= 0 || sourceH <= 0) {
        return;
    }
    // Composed in device pixels: the piece and its mask are first brought to the zoomed size.
    const GuiRect device = context.toDevice(rect);
    const int w = device.width();
    const int h = device.height();
    const GuiRect whole{0, 0, w, h};

    GuiMemoryDC sourceDC(target);
    GuiMemoryDC maskDC(target);
    GuiMemoryDC maskPieceDC(target);
    GuiMemoryDC inverseDC(target);
    GuiMemoryDC composeDC(target);
    GuiMemoryDC pieceDC(target);
    GuiGdiObject maskPiece(CreateBitmap(w, h, 1, 1, nullptr));
    GuiGdiObject inverse(CreateBitmap(w, h, 1, 1, nullptr));
    GuiGdiObject compose(CreateCompatibleBitmap(target, w, h));
    GuiGdiObject piece(CreateCompatibleBitmap(target, w, h));
    if (!sourceDC || !maskDC || !maskPieceDC || !inverseDC || !composeDC || !pieceDC || !maskPiece ||
        !inverse || !compose || !piece) {
        return;
    }
    GuiSelection sourceSel(sourceDC.get(), bitmap.get());
    GuiSelection maskSel(maskDC.get(), keyMask.get());
    GuiSelection maskPieceSel(maskPieceDC.get(), maskPiece.get());
    GuiSelection inverseSel(inverseDC.get(), inverse.get());
    GuiSelection composeSel(composeDC.get(), compose.get());
    GuiSelection pieceSel(pieceDC.get(), piece.get());

    // The memory DCs keep black text and white background colours, so mask bits of 1 combine as all-ones
    // and bits of 0 as zero. The piece is a private copy: the shared bitmap is never touched.
    copyBlock(pieceDC.get(), whole, sourceDC.get(), offset, sourceW, sourceH, SRCCOPY);
    copyBlock(maskPieceDC.get(), whole, maskDC.get(), offset, sourceW, sourceH, SRCCOPY);
    BitBlt(inverseDC.get(), 0, 0, w, h, maskPieceDC.get(), 0, 0, NOTSRCCOPY);
    BitBlt(composeDC.get(), 0, 0, w, h, target, device.left, device.top, SRCCOPY);
    BitBlt(composeDC.get(), 0, 0, w, h, maskPieceDC.get(), 0, 0, SRCAND);
    BitBlt(pieceDC.get(), 0, 0, w, h, inverseDC.get(), 0, 0, SRCAND);
    BitBlt(composeDC.get(), 0, 0, w, h, pieceDC.get(), 0, 0, SRCPAINT);
    BitBlt(target, device.left, device.top, w, h, composeDC.get(), 0, 0, SRCCOPY);
}

GuiGdiObject createKeyMask(GuiDCHandle dc, GuiBitmapHandle source, GuiColor color) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!readSize(source, width, height)) {
        return {};
    }
    GuiMemoryDC sourceDC(dc);
    GuiMemoryDC maskDC(dc);
    GuiGdiObject mask(CreateBitmap(width, height, 1, 1, nullptr));
    if (!sourceDC || !maskDC || !mask) {
        return {};
    }
    GuiSelection sourceSel(sourceDC.get(), source);
    GuiSelection maskSel(maskDC.get(), mask.get());
    if (dc != nullptr) {
        SetMapMode(sourceDC.get(), GetMapMode(dc));
    }
    // Converting colour to monochrome turns pixels equal to the source's background colour into 1.
    const COLORREF previous = SetBkColor(sourceDC.get(), color.toColorRef());
    BitBlt(maskDC.get(), 0, 0, width, height, sourceDC.get(), 0, 0, SRCCOPY);
    SetBkColor(sourceDC.get(), previous);
    return mask;
}

} // namespace chorus
