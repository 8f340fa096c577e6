"""The ten resources: id, file name, size and renderer; and a mock-up of the assembled editor."""

from dataclasses import dataclass
from typing import Callable

from PIL import Image

from . import controls, knob, panel
from . import layout as L


@dataclass(frozen=True)
class Entry:
    resource_id: int
    file_name: str
    size: tuple
    render: Callable[[], Image.Image]


ENTRIES = [
    Entry(1000, "1000-about.bmp", L.EDITOR_SIZE, panel.about),
    Entry(1001, "1001-background.bmp", L.EDITOR_SIZE, panel.background),
    Entry(1002, "1002-knob-strip.bmp", (L.KNOB_SIZE, L.KNOB_SIZE * L.KNOB_FRAMES), knob.render),
    Entry(1003, "1003-slider-thumb.bmp", L.THUMB_SIZE, controls.thumb),
    Entry(1004, "1004-pad.bmp", L.PAD_BITMAP_SIZE, controls.pad_display),
    Entry(1005, "1005-field.bmp", L.FIELD_BITMAP_SIZE, controls.field_box),
    Entry(1006, "1006-mix-field.bmp", L.MIX_FIELD_BITMAP_SIZE, controls.mix_box),
    Entry(1007, "1007-shape-ramp.bmp", (L.SHAPE_BUTTON_SIZE[0], 2 * L.SHAPE_BUTTON_SIZE[1]),
          lambda: controls.shape_button("ramp")),
    Entry(1008, "1008-shape-square.bmp", (L.SHAPE_BUTTON_SIZE[0], 2 * L.SHAPE_BUTTON_SIZE[1]),
          lambda: controls.shape_button("square")),
    Entry(1009, "1009-shape-peak.bmp", (L.SHAPE_BUTTON_SIZE[0], 2 * L.SHAPE_BUTTON_SIZE[1]),
          lambda: controls.shape_button("peak")),
]


def render_all() -> dict:
    images = {}
    for entry in ENTRIES:
        image = entry.render().convert("RGB")
        if image.size != tuple(entry.size):
            raise ValueError(f"{entry.file_name}: rendered {image.size}, expected {entry.size}")
        images[entry.resource_id] = image
    return images


def _keyed(dest, src, at):
    """Pastes src onto dest except where src has the key colour, as the editor's keyed blits do."""
    mask = Image.new("L", src.size, 255)
    for y in range(src.height):
        for x in range(src.width):
            if src.getpixel((x, y)) == L.KEY:
                mask.putpixel((x, y), 0)
    dest.paste(src, at, mask)


def editor_mock(images, knob_values=(0.4, 0.4, 0.0), mix=0.5, shape=1, about=False) -> Image.Image:
    """The editor as it looks with the given control values (curves of the pad left out)."""
    if about:
        return images[1000].copy()
    canvas = images[1001].copy()
    strip = images[1002]
    size = L.KNOB_SIZE
    for rect, value in zip(L.KNOB_RECTS, knob_values):
        frame = int(value * (L.KNOB_FRAMES - 1))
        _keyed(canvas, strip.crop((0, frame * size, size, (frame + 1) * size)), rect[:2])
    left, top, right, bottom = L.SLIDER_RECT
    travel = L.THUMB_TRAVEL[1] - L.THUMB_TRAVEL[0]
    _keyed(canvas, images[1003], (left, top + int(travel * (1 - mix))))
    pl, pt, pr, pb = L.PAD_RECT
    canvas.paste(images[1004].crop((0, 0, pr - pl, pb - pt)), (pl, pt))
    for (x, y), rid, index in zip(L.SHAPE_BUTTON_ORIGINS, (1007, 1009, 1008), range(3)):
        bw, bh = L.SHAPE_BUTTON_SIZE
        y0 = bh if index == shape else 0
        canvas.paste(images[rid].crop((0, y0, bw, y0 + bh)), (x, y))
    return canvas
