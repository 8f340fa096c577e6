"""A mock-up of the assembled editor for judging the artwork: controls placed at their rectangles,
value texts and a wave picture drawn roughly as the editor draws them at its factory settings."""

import math

from PIL import Image, ImageDraw

from . import layout as L
from .paint import font

PAD_CURVE_A = (255, 255, 255)
PAD_CURVE_B = (145, 227, 238)


def _keyed(dest, src, at):
    """Pastes src onto dest except where src has the key colour, as a keyed copy does."""
    mask = Image.new("L", src.size, 255)
    for y in range(src.height):
        for x in range(src.width):
            if src.getpixel((x, y)) == L.KEY:
                mask.putpixel((x, y), 0)
    dest.paste(src, at, mask)


def _wave_height(x, width, height, freq, shape):
    cycles = int(freq) + 1
    if shape == 2:
        seg = width // cycles
        half = int(seg * 0.5)
        if x == 0:
            return 0.02
        for i in range(1, cycles + 1):
            if x <= i * seg:
                return 0.95 if x <= (i - 1) * seg + half else 0.02
        return 0.0
    seg = int(width / cycles - 0.5) - (1 if cycles <= 2 else 0)
    peak = int(seg * 0.5) if shape == 1 else int(seg * 0.95)
    rise = (height - 3) / peak
    fall = 0.0 if peak == seg else -(height - 3) / (seg - peak)
    for i in range(1, cycles + 1):
        if x <= i * seg:
            if x > (i - 1) * seg + peak and fall != 0.0:
                return (x - i * seg) * fall / height
            return (x - (i - 1) * seg) * rise / height
    return 0.0


def _pad_picture(canvas, freq, delay, stages, shape):
    pl, pt, pr, pb = L.PAD_RECT
    w, h = pr - pl, pb - pt
    bw, bh = L.PAD_BITMAP_SIZE
    a = [_wave_height(x, bw, bh, freq, shape) for x in range(bw - 1)] + [0.0]
    b = [v * math.sin(x * (110 - 20 * delay) / 150) ** 2 for x, v in enumerate(a)]
    k = h - 1

    def ys(values):
        return [math.trunc(-(k * v) + 0.5) + h for v in values]

    ya, yb = ys(a), ys(b)
    ya[-1] = yb[-1] = h
    pad = canvas.crop((pl, pt, pr, pb))
    draw = ImageDraw.Draw(pad)
    for s in range(2 * stages - 1, 1, -1):
        g = 225 - 15 * s
        draw.line([(s - 1 + i, ya[i]) for i in range(w - 1)], fill=(g, g, g))
    draw.line([(i, yb[i]) for i in range(w - 1)], fill=PAD_CURVE_B)
    draw.line([(i, ya[i]) for i in range(w - 1)], fill=PAD_CURVE_A)
    canvas.paste(pad, (pl, pt))


def _field_text(canvas, rect, text):
    draw = ImageDraw.Draw(canvas)
    fnt = font(9)
    left, top, right, bottom = rect
    width = fnt.getlength(text)
    ascent, descent = fnt.getmetrics()
    x = left + (right - left - width) / 2
    y = top + (bottom - top - (ascent + descent)) // 2
    draw.text((round(x), y), text, font=fnt, fill=(255, 255, 255))


def editor_mock(images, mix=50.0, freq=2.0, delay=2.0, stages=1, shape=1) -> Image.Image:
    canvas = images[1001].copy()
    strip = images[1002]
    size = L.KNOB_SIZE
    knob_values = (freq / 5.0, delay / 5.0, (stages - 1) / 3.0)
    for rect, value in zip(L.KNOB_RECTS, knob_values):
        frame = int(value * (L.KNOB_FRAMES - 1))
        _keyed(canvas, strip.crop((0, frame * size, size, (frame + 1) * size)), rect[:2])
    left, top, _, _ = L.SLIDER_RECT
    travel = L.THUMB_TRAVEL[1] - L.THUMB_TRAVEL[0]
    _keyed(canvas, images[1003], (left, top + int(travel * (1 - mix / 100.0))))
    pl, pt, pr, pb = L.PAD_RECT
    canvas.paste(images[1004].crop((0, 0, pr - pl, pb - pt)), (pl, pt))
    _pad_picture(canvas, freq, delay, stages, shape)
    bw, bh = L.SHAPE_BUTTON_SIZE
    for index, ((x, y), rid) in enumerate(zip(L.SHAPE_BUTTON_ORIGINS, (1007, 1009, 1008))):
        y0 = bh if index == shape else 0
        canvas.paste(images[rid].crop((0, y0, bw, y0 + bh)), (x, y))
    texts = [f"{freq:.2f}Hz", f"{delay:.2f}ms", f"{int(stages)}"]
    for rect, text in zip(L.FIELD_RECTS, texts):
        _field_text(canvas, rect, text)
    _field_text(canvas, L.MIX_FIELD_RECT, f"{int(mix + 0.5)}%")
    return canvas


def about_mock(images, version="1.1.1") -> Image.Image:
    """The about picture with the version line the editor prints over it."""
    canvas = images[1000].copy()
    draw = ImageDraw.Draw(canvas)
    fnt = font(12)
    left, top, _, bottom = L.ABOUT_VERSION_RECT
    ascent, descent = fnt.getmetrics()
    draw.text((left + 1, top + (bottom - top - (ascent + descent)) // 2), f"Version: {version}", font=fnt,
              fill=(255, 255, 255))
    return canvas
