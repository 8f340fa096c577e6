"""The editor's background panel and the about picture, both 238 x 226."""

import math
import random

from PIL import Image, ImageDraw

from . import controls, knob
from . import layout as L
from .paint import Layer, composite, engraved_text, font, polar, vertical_gradient

NOISE_SEED = 1001


def _brushed(width, height, top, bottom, seed) -> Image.Image:
    """Vertical gradient with fine horizontal streaks, like brushed anodised metal."""
    rng = random.Random(seed)
    image = vertical_gradient(width, height, top, bottom)
    pixels = image.load()
    streak = [0.0] * width
    for y in range(height):
        row = rng.uniform(-1.2, 1.2)
        for x in range(width):
            streak[x] = 0.82 * streak[x] + 0.18 * rng.uniform(-3.0, 3.0)
            d = row + streak[x]
            r, g, b = pixels[x, y]
            pixels[x, y] = (int(round(r + d)), int(round(g + d)), int(round(b + d)))
    return image


def _bevel(draw, left, top, right, bottom, dark, light):
    """One-pixel ring just outside the rectangle: shadow above and left, light below and right."""
    draw.line([(left - 1, top - 1), (right, top - 1)], fill=dark)
    draw.line([(left - 1, top - 1), (left - 1, bottom)], fill=dark)
    draw.line([(left, bottom), (right, bottom)], fill=light)
    draw.line([(right, top), (right, bottom)], fill=light)


def _engraved_hline(draw, x0, x1, y):
    draw.line([(x0, y), (x1, y)], fill=L.ENGRAVE_DARK)
    draw.line([(x0, y + 1), (x1, y + 1)], fill=L.ENGRAVE_LIGHT)


def _engraved_vline(draw, x, y0, y1):
    draw.line([(x, y0), (x, y1)], fill=L.ENGRAVE_DARK)
    draw.line([(x + 1, y0), (x + 1, y1)], fill=L.ENGRAVE_LIGHT)


def _knob_seat(image, rect, label):
    """Recessed well and scale around one knob, and its name below."""
    left, top, right, bottom = rect
    cx, cy = left + knob.CENTRE, top + knob.CENTRE
    layer = Layer(*L.EDITOR_SIZE)
    layer.circle(cx, cy, knob.OPAQUE_RADIUS + 1.6, L.ENGRAVE_LIGHT + (90,))
    layer.circle(cx, cy, knob.OPAQUE_RADIUS + 1.0, L.RECESS + (255,))
    steps = 10
    for i in range(steps + 1):
        deg = L.KNOB_ARC_START_DEG + L.KNOB_ARC_SWEEP_DEG * i / steps
        major = i in (0, steps // 2, steps)
        r0 = knob.OPAQUE_RADIUS + 2.2
        r1 = r0 + (3.4 if major else 2.2)
        colour = L.LABEL + (255,) if major else L.LABEL_DIM + (255,)
        layer.stroke([polar(cx, cy, r0, deg), polar(cx, cy, r1, deg)], 1.0 if major else 0.8, colour)
    composite(image, layer.result())
    engraved_text(image, label, font(8, True), L.LABEL, cx, bottom + 5, tracking=0.8,
                  anchor="center", shadow=L.ENGRAVE_DARK)


def _value_box(image, draw, rect, box):
    left, top, right, bottom = rect
    _bevel(draw, left, top, right, bottom, L.ENGRAVE_DARK, L.ENGRAVE_LIGHT)
    image.paste(box.crop((0, 0, right - left, bottom - top)), (left, top))


def background() -> Image.Image:
    w, h = L.EDITOR_SIZE
    image = _brushed(w, h, L.PANEL_TOP, L.PANEL_BOTTOM, NOISE_SEED)
    draw = ImageDraw.Draw(image)
    draw.line([(0, 0), (w - 1, 0)], fill=L.PANEL_EDGE_LIGHT)
    draw.line([(0, 0), (0, h - 1)], fill=L.PANEL_EDGE_LIGHT)
    draw.line([(0, h - 1), (w - 1, h - 1)], fill=L.PANEL_EDGE_DARK)
    draw.line([(w - 1, 1), (w - 1, h - 1)], fill=L.PANEL_EDGE_DARK)

    # Header: the name doubles as the about picture's click area.
    tl, tt, tr, tb = L.TITLE_RECT
    engraved_text(image, "CHORUS", font(13, True), L.TITLE, tl, tt + 2, tracking=1.0, shadow=L.ENGRAVE_DARK)
    engraved_text(image, "QUILLFEN DIGITAL AUDIO", font(7, True), L.LABEL_DIM, w - 10, tt + 5,
                  tracking=0.9, anchor="right", shadow=L.ENGRAVE_DARK)

    # Pad window.
    pl, pt, pr, pb = L.PAD_RECT
    draw.rectangle([pl - 2, pt - 2, pr + 1, pb + 1], fill=L.ENGRAVE_DARK)
    draw.line([(pl - 1, pb + 1), (pr + 1, pb + 1)], fill=L.ENGRAVE_LIGHT)
    draw.line([(pr + 1, pt - 1), (pr + 1, pb + 1)], fill=L.ENGRAVE_LIGHT)
    image.paste(controls.pad_display().crop((0, 0, pr - pl, pb - pt)), (pl, pt))

    # Shape row.
    first_x, row_y = L.SHAPE_BUTTON_ORIGINS[0]
    bw, bh = L.SHAPE_BUTTON_SIZE
    last_x = L.SHAPE_BUTTON_ORIGINS[-1][0] + bw
    draw.rectangle([first_x - 2, row_y - 2, last_x + 1, row_y + bh + 1], fill=L.RECESS)
    _bevel(draw, first_x - 2, row_y - 2, last_x + 2, row_y + bh + 2, L.ENGRAVE_DARK, L.ENGRAVE_LIGHT)
    for (x, y), kind in zip(L.SHAPE_BUTTON_ORIGINS, L.SHAPE_ICONS):
        image.paste(controls.shape_button(kind).crop((0, 0, bw, bh)), (x, y))
    engraved_text(image, "SHAPE", font(8, True), L.LABEL, pl, row_y + 5, tracking=0.8, shadow=L.ENGRAVE_DARK)

    # Knobs, their scales, names and value boxes.
    box = controls.field_box()
    for rect, label, field in zip(L.KNOB_RECTS, L.KNOB_LABELS, L.FIELD_RECTS):
        _knob_seat(image, rect, label)
        _value_box(image, draw, field, box)

    # Mix section, set apart by an engraved divider.
    _engraved_vline(draw, 175, 30, h - 12)
    ml, mt, mr, mb = L.MIX_FIELD_RECT
    sl, st, sr, sb = L.SLIDER_RECT
    centre_x = (sl + sr) / 2
    engraved_text(image, "MIX", font(8, True), L.LABEL, centre_x, mt - 10, tracking=0.8, anchor="center",
                  shadow=L.ENGRAVE_DARK)
    _value_box(image, draw, L.MIX_FIELD_RECT, controls.mix_box())
    thumb_h = L.THUMB_SIZE[1]
    top_travel, bottom_travel = L.THUMB_TRAVEL
    groove_top, groove_bottom = top_travel + thumb_h // 2 - 4, bottom_travel + thumb_h // 2 + 4
    draw.rectangle([centre_x - 2, groove_top, centre_x + 1, groove_bottom], fill=(8, 9, 10))
    draw.line([(centre_x - 2, groove_top), (centre_x + 1, groove_top)], fill=(2, 2, 3))
    draw.line([(centre_x + 2, groove_top), (centre_x + 2, groove_bottom)], fill=L.ENGRAVE_LIGHT)
    draw.line([(centre_x - 2, groove_bottom + 1), (centre_x + 2, groove_bottom + 1)], fill=L.ENGRAVE_LIGHT)
    small = font(7, True)
    for i in range(11):
        y = top_travel + thumb_h // 2 + round((bottom_travel - top_travel) * i / 10)
        major = i % 5 == 0
        length = 6 if major else 3
        draw.line([(sl - 2 - length, y), (sl - 3, y)], fill=L.LABEL if major else L.LABEL_DIM)
        if major:
            engraved_text(image, str(100 - 10 * i), small, L.LABEL_DIM, sr + 4, y - 2, shadow=L.ENGRAVE_DARK)
    return image


def about() -> Image.Image:
    w, h = L.EDITOR_SIZE
    image = _brushed(w, h, (30, 35, 41), (11, 13, 16), NOISE_SEED + 1)
    draw = ImageDraw.Draw(image)
    draw.rectangle([0, 0, w - 1, h - 1], outline=L.PANEL_EDGE_DARK)
    draw.rectangle([3, 3, w - 4, h - 4], outline=(52, 58, 66))

    # Emblem: four voices of one wave, slightly apart, as a chorus sounds.
    waves = Layer(w, h, 4)
    left, right, mid, amp = 24, w - 24, 58, 20

    def voice(shift, colour, width):
        pts = []
        for k in range(0, 321):
            x = left + (right - left) * k / 320
            phase = (x - left) / (right - left) * 2.5 * 2 * math.pi + shift
            envelope = math.sin(math.pi * k / 320)
            pts.append((x, mid - amp * envelope * math.sin(phase)))
        waves.stroke(pts, width, colour)

    voice(0.75, (110, 118, 128, 150), 1.0)
    voice(0.50, (140, 148, 158, 170), 1.0)
    voice(0.25, L.ACCENT_DEEP + (230,), 1.6)
    voice(0.0, L.ACCENT + (255,), 1.6)
    composite(image, waves.result())

    engraved_text(image, "CHORUS", font(26, True), (236, 240, 244), w / 2, 92, tracking=4.0,
                  anchor="center", shadow=(4, 5, 6))
    engraved_text(image, "QUILLFEN DIGITAL AUDIO", font(9, True), L.ACCENT, w / 2, 126, tracking=1.6,
                  anchor="center", shadow=(4, 5, 6))
    regular = font(9)
    engraved_text(image, "Stereo chorus with one to four stages", regular, L.LABEL_DIM, w / 2, 146,
                  anchor="center")
    engraved_text(image, "Ramp, peak and square modulation", regular, L.LABEL_DIM, w / 2, 158,
                  anchor="center")
    vl, vt, vr, vb = L.ABOUT_VERSION_RECT  # left clear: the editor prints the version here in white
    draw.line([(vl - 8, vb + 4), (vr + 8, vb + 4)], fill=(52, 58, 66))
    engraved_text(image, "Design, sound and artwork: Quillfen Digital Audio", font(8), L.LABEL_DIM, w / 2,
                  vb + 11, anchor="center")
    engraved_text(image, "Click anywhere to close", font(8), (96, 104, 114), w / 2, vb + 23, anchor="center")
    return image
