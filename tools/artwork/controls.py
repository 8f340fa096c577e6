"""The small control pictures: slider thumb, value boxes, Shape buttons and the pad's display."""

from PIL import Image, ImageDraw

from . import layout as L
from .paint import Layer, lerp, scale, vertical_gradient

# Fader cap
THUMB_TOP = (150, 154, 162)
THUMB_BOTTOM = (92, 96, 104)
THUMB_EDGE = (20, 21, 24)
THUMB_GRIP_DARK = (58, 60, 66)
THUMB_GRIP_LIGHT = (178, 182, 190)

# Shape buttons
BUTTON_FACE_TOP = (72, 75, 82)
BUTTON_FACE_BOTTOM = (50, 52, 58)
BUTTON_LIT_TOP = (28, 44, 50)
BUTTON_LIT_BOTTOM = (20, 32, 37)
BUTTON_ICON_OFF = (150, 156, 166)


def thumb() -> Image.Image:
    """Fader cap with grip ridges and an accent index line; the four corner pixels are key."""
    w, h = L.THUMB_SIZE
    image = vertical_gradient(w, h, THUMB_TOP, THUMB_BOTTOM)
    draw = ImageDraw.Draw(image)
    draw.rectangle([0, 0, w - 1, h - 1], outline=THUMB_EDGE)
    draw.line([(1, 1), (w - 2, 1)], fill=scale(THUMB_TOP, 1.25))
    draw.line([(1, 1), (1, h - 2)], fill=scale(THUMB_TOP, 1.1))
    draw.line([(1, h - 2), (w - 2, h - 2)], fill=scale(THUMB_BOTTOM, 0.7))
    draw.line([(w - 2, 2), (w - 2, h - 2)], fill=scale(THUMB_BOTTOM, 0.8))
    mid = h // 2  # the index line sits on the thumb's centre row
    for dy in (-7, -5, -3, 3, 5, 7):
        draw.line([(2, mid + dy - 1), (w - 3, mid + dy - 1)], fill=THUMB_GRIP_DARK)
        draw.line([(2, mid + dy), (w - 3, mid + dy)], fill=THUMB_GRIP_LIGHT)
    draw.line([(1, mid - 1), (w - 2, mid - 1)], fill=(14, 40, 46))
    draw.line([(1, mid), (w - 2, mid)], fill=L.ACCENT)
    for corner in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        image.putpixel(corner, L.KEY)
    return image


def value_box(size, shown) -> Image.Image:
    """Dark display window for a number; `shown` is the part the field actually draws.

    The field copies only its own rectangle out of the bitmap, so the inner shadow is laid out
    for that size and the spare row or column repeats the box's last one.
    """
    w, h = size
    sw, sh = shown
    image = Image.new("RGB", (w, h), L.DISPLAY)
    draw = ImageDraw.Draw(image)
    draw.line([(0, 0), (sw - 1, 0)], fill=L.DISPLAY_SHADOW)
    draw.line([(0, 0), (0, sh - 1)], fill=L.DISPLAY_SHADOW)
    draw.line([(1, 1), (sw - 1, 1)], fill=lerp(L.DISPLAY_SHADOW, L.DISPLAY, 0.5))
    draw.line([(1, sh - 1), (sw - 1, sh - 1)], fill=lerp(L.DISPLAY, (30, 44, 50), 0.6))
    for x in range(sw, w):
        for y in range(h):
            image.putpixel((x, y), image.getpixel((sw - 1, min(y, sh - 1))))
    for y in range(sh, h):
        for x in range(w):
            image.putpixel((x, y), image.getpixel((x, sh - 1)))
    return image


def field_box() -> Image.Image:
    left, top, right, bottom = L.FIELD_RECTS[0]
    return value_box(L.FIELD_BITMAP_SIZE, (right - left, bottom - top))


def mix_box() -> Image.Image:
    left, top, right, bottom = L.MIX_FIELD_RECT
    return value_box(L.MIX_FIELD_BITMAP_SIZE, (right - left, bottom - top))


def _icon_points(kind, left, top, width, height):
    """One and a half cycles of the waveform in the given box, as a polyline."""
    bottom = top + height
    if kind == "ramp":
        cycle = width / 2
        pts = [(left, bottom)]
        for k in range(2):
            x0 = left + k * cycle
            pts += [(x0 + cycle * 0.82, top), (x0 + cycle, bottom)]
        return pts
    if kind == "peak":
        cycle = width / 2
        pts = [(left, bottom)]
        for k in range(2):
            x0 = left + k * cycle
            pts += [(x0 + cycle / 2, top), (x0 + cycle, bottom)]
        return pts
    cycle = width / 2
    pts = [(left, bottom)]
    for k in range(2):
        x0 = left + k * cycle
        pts += [(x0, top), (x0 + cycle / 2, top), (x0 + cycle / 2, bottom), (x0 + cycle, bottom)]
    return pts


def _button_state(kind, lit) -> Image.Image:
    w, h = L.SHAPE_BUTTON_SIZE
    top, bottom = (BUTTON_LIT_TOP, BUTTON_LIT_BOTTOM) if lit else (BUTTON_FACE_TOP, BUTTON_FACE_BOTTOM)
    image = vertical_gradient(w, h, top, bottom)
    draw = ImageDraw.Draw(image)
    draw.rectangle([0, 0, w - 1, h - 1], outline=(16, 17, 20))
    if lit:  # pressed in: shadow at the top and left
        draw.line([(1, 1), (w - 2, 1)], fill=(8, 12, 14))
        draw.line([(1, 1), (1, h - 2)], fill=(10, 15, 17))
        draw.line([(2, h - 2), (w - 2, h - 2)], fill=(40, 60, 66))
    else:  # raised: light at the top and left
        draw.line([(1, 1), (w - 2, 1)], fill=scale(BUTTON_FACE_TOP, 1.45))
        draw.line([(1, 2), (1, h - 2)], fill=scale(BUTTON_FACE_TOP, 1.2))
        draw.line([(2, h - 2), (w - 2, h - 2)], fill=scale(BUTTON_FACE_BOTTOM, 0.6))
        draw.line([(w - 2, 2), (w - 2, h - 3)], fill=scale(BUTTON_FACE_BOTTOM, 0.75))

    pts = _icon_points(kind, 7.5, 4.5, 19, 7)
    if lit:
        glow = Layer(w, h)
        glow.stroke(pts, 3.6, L.ACCENT_DEEP + (110,))
        image = Image.alpha_composite(image.convert("RGBA"), glow.result()).convert("RGB")
    icon = Layer(w, h)
    icon.stroke(pts, 1.35, (L.ACCENT if lit else BUTTON_ICON_OFF) + (255,))
    return Image.alpha_composite(image.convert("RGBA"), icon.result()).convert("RGB")


def shape_button(kind) -> Image.Image:
    w, h = L.SHAPE_BUTTON_SIZE
    image = Image.new("RGB", (w, 2 * h))
    image.paste(_button_state(kind, False), (0, 0))
    image.paste(_button_state(kind, True), (0, h))
    return image


def pad_display() -> Image.Image:
    """The pad's dark screen with a faint grid; the pad draws its curves over it."""
    w, h = L.PAD_BITMAP_SIZE
    shown_w = L.PAD_RECT[2] - L.PAD_RECT[0]
    shown_h = L.PAD_RECT[3] - L.PAD_RECT[1]
    image = vertical_gradient(w, h, (15, 24, 29), (7, 11, 14))
    grid = Layer(w, h, 4)
    minor = (60, 110, 125, 34)
    major = (70, 130, 148, 60)
    for i in range(1, 8):
        x = round(i * shown_w / 8) + 0.5
        grid.rect(x - 0.25, 0, x + 0.25, h, major if i == 4 else minor)
    for j in range(1, 4):
        y = round(j * shown_h / 4) + 0.5
        grid.rect(0, y - 0.25, w, y + 0.25, major if j == 2 else minor)
    image = Image.alpha_composite(image.convert("RGBA"), grid.result()).convert("RGB")
    return image
