"""The knob filmstrip: 65 frames of 42 x 42 stacked top to bottom, minimum at the top.

The strip is drawn keyed: white lets the panel through. Only the knob body changes between frames;
the white area is the same disc complement in every frame, and the body's rim is blended into the
recess colour the panel paints under each knob, so the keyed edge shows no halo.
"""

import math

from PIL import Image, ImageDraw, ImageFilter

from . import layout as L
from .paint import SUPERSAMPLE, lerp, polar

SIZE = L.KNOB_SIZE
CENTRE = SIZE / 2  # 21.0: the controls take the knob centre at half the width
OPAQUE_RADIUS = 16.0  # pixels whose centre lies within this distance are knob; all others are key
SKIRT_RADIUS = 14.5
CAP_RADIUS = 10.0
GRIP_COUNT = 20
LIGHT_DEG = 115.0  # light from above, slightly left

SKIRT_BASE = (78, 81, 88)
CAP_TOP = (122, 126, 134)
CAP_BOTTOM = (58, 61, 67)
POINTER_OUTLINE = (8, 9, 11, 170)
POINTER = (244, 244, 238)


def pointer_angle(frame: int) -> float:
    return L.KNOB_ARC_START_DEG + L.KNOB_ARC_SWEEP_DEG * frame / (L.KNOB_FRAMES - 1)


def is_opaque(x: int, y: int) -> bool:
    return (x + 0.5 - CENTRE) ** 2 + (y + 0.5 - CENTRE) ** 2 <= OPAQUE_RADIUS ** 2


def _static_body() -> Image.Image:
    """Recess, drop shadow, lit skirt and cap at supersampled size; the parts that do not turn."""
    f = SUPERSAMPLE
    n = SIZE * f
    base = Image.new("RGB", (n, n), L.RECESS)

    shadow = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    ImageDraw.Draw(shadow).ellipse(
        [(CENTRE - SKIRT_RADIUS) * f, (CENTRE - SKIRT_RADIUS + 0.9) * f,
         (CENTRE + SKIRT_RADIUS) * f, (CENTRE + SKIRT_RADIUS + 0.9) * f], fill=(0, 0, 0, 150))
    shadow = shadow.filter(ImageFilter.GaussianBlur(0.5 * f))
    base.paste(Image.alpha_composite(base.convert("RGBA"), shadow).convert("RGB"))

    light = math.radians(LIGHT_DEG)
    lx, ly = math.cos(light), math.sin(light)
    pixels = base.load()
    for y in range(n):
        dy = CENTRE - (y + 0.5) / f
        for x in range(n):
            dx = (x + 0.5) / f - CENTRE
            r = math.hypot(dx, dy)
            if r > SKIRT_RADIUS:
                continue
            nx, ny = (dx / r, dy / r) if r > 0 else (0.0, 0.0)
            facing = nx * lx + ny * ly  # -1 .. 1
            if r > CAP_RADIUS + 0.9:
                # Conical skirt: brightness follows the side facing the light, with a bright lip.
                colour = tuple(c * (1.0 + 0.30 * facing) for c in SKIRT_BASE)
                if r > SKIRT_RADIUS - 0.9:
                    colour = tuple(c * (1.0 + 0.35 * facing) + 6 for c in colour)
            elif r > CAP_RADIUS:
                # The step from skirt to cap: a shadowed groove, lit on the far side.
                colour = tuple(c * (0.55 - 0.25 * facing) for c in SKIRT_BASE)
            else:
                t = (CAP_RADIUS - dy) / (2 * CAP_RADIUS)
                colour = lerp(CAP_TOP, CAP_BOTTOM, t)
                rings = 0.03 * math.sin(r * 5.2)  # machined face
                # Brushed metal catches the light in two opposite fans around the centre.
                phi = math.atan2(ny, nx)
                sheen = 0.16 * math.cos(2.0 * (phi - light)) * min(1.0, r / 3.0)
                colour = tuple(c * (1.0 + rings + sheen) for c in colour)
                if r > CAP_RADIUS - 0.8:
                    colour = tuple(c * (1.0 + 0.30 * facing) for c in colour)
            pixels[x, y] = tuple(max(0, min(254, int(round(c)))) for c in colour)
    return base


def _frame(body: Image.Image, deg: float) -> Image.Image:
    f = SUPERSAMPLE
    image = body.copy()
    draw = ImageDraw.Draw(image, "RGBA")

    def line(r0, r1, angle, width, colour):
        a = polar(CENTRE, CENTRE, r0, angle)
        b = polar(CENTRE, CENTRE, r1, angle)
        w = width * f
        draw.line([(a[0] * f, a[1] * f), (b[0] * f, b[1] * f)], fill=colour, width=int(round(w)))
        for px, py in (a, b):
            draw.ellipse([px * f - w / 2, py * f - w / 2, px * f + w / 2, py * f + w / 2], fill=colour)

    for k in range(GRIP_COUNT):
        angle = deg + (k + 0.5) * 360.0 / GRIP_COUNT
        line(CAP_RADIUS + 1.6, SKIRT_RADIUS - 0.5, angle, 0.75, (10, 11, 13, 150))
    line(CAP_RADIUS + 1.5, SKIRT_RADIUS - 0.7, deg, 1.5, L.ACCENT + (255,))
    line(2.6, CAP_RADIUS - 1.1, deg, 2.7, POINTER_OUTLINE)
    line(3.0, CAP_RADIUS - 1.4, deg, 1.7, POINTER + (255,))

    small = image.resize((SIZE, SIZE), Image.BOX)
    pixels = small.load()
    for y in range(SIZE):
        for x in range(SIZE):
            if not is_opaque(x, y):
                pixels[x, y] = L.KEY
            elif pixels[x, y] == L.KEY:
                pixels[x, y] = L.NEAR_WHITE
    return small


def render() -> Image.Image:
    body = _static_body()
    strip = Image.new("RGB", (SIZE, SIZE * L.KNOB_FRAMES))
    for i in range(L.KNOB_FRAMES):
        strip.paste(_frame(body, pointer_angle(i)), (0, i * SIZE))
    return strip
