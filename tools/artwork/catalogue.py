"""The ten resources: id, file name, size and renderer."""

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
