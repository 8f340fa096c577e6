"""Small drawing helpers: supersampled layers, gradients, fonts and engraved text."""

import math

from PIL import Image, ImageDraw, ImageFont

SUPERSAMPLE = 8
FONT_DIR = "/usr/share/fonts/truetype/liberation"


def font(size: int, bold: bool = False) -> ImageFont.FreeTypeFont:
    name = "LiberationSans-Bold.ttf" if bold else "LiberationSans-Regular.ttf"
    return ImageFont.truetype(f"{FONT_DIR}/{name}", size)


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def scale(colour, factor):
    return tuple(max(0, min(255, int(round(c * factor)))) for c in colour)


class Layer:
    """A transparent RGBA surface drawn at SUPERSAMPLE times the size and reduced with a box filter.

    Coordinates are in output pixels (floats allowed); (0, 0) is the top-left corner of pixel (0, 0).
    """

    def __init__(self, width: int, height: int, factor: int = SUPERSAMPLE):
        self.size = (width, height)
        self.factor = factor
        self.image = Image.new("RGBA", (width * factor, height * factor), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.image)

    def _p(self, x, y):
        return (x * self.factor, y * self.factor)

    def circle(self, cx, cy, r, fill):
        f = self.factor
        self.draw.ellipse([(cx - r) * f, (cy - r) * f, (cx + r) * f - 1, (cy + r) * f - 1], fill=fill)

    def rect(self, left, top, right, bottom, fill):
        f = self.factor
        self.draw.rectangle([left * f, top * f, right * f - 1, bottom * f - 1], fill=fill)

    def polygon(self, points, fill):
        self.draw.polygon([self._p(x, y) for x, y in points], fill=fill)

    def stroke(self, points, width, fill, round_caps=True):
        """A polyline of the given width with round joints (and round ends unless told otherwise)."""
        f = self.factor
        pts = [self._p(x, y) for x, y in points]
        self.draw.line(pts, fill=fill, width=max(1, int(round(width * f))), joint="curve")
        if round_caps:
            r = width * f / 2
            for px, py in (pts[0], pts[-1]):
                self.draw.ellipse([px - r, py - r, px + r - 1, py + r - 1], fill=fill)

    def result(self) -> Image.Image:
        return self.image.resize(self.size, Image.BOX)


def composite(base: Image.Image, layer: Image.Image, at=(0, 0)) -> Image.Image:
    """Alpha-composites an RGBA layer onto an RGB or RGBA base in place; returns the base."""
    rgba = base.convert("RGBA")
    rgba.alpha_composite(layer, at)
    base.paste(rgba.convert(base.mode))
    return base


def vertical_gradient(width, height, top, bottom) -> Image.Image:
    image = Image.new("RGB", (width, height))
    for y in range(height):
        t = y / max(1, height - 1)
        image.paste(lerp(top, bottom, t), (0, y, width, y + 1))
    return image


def text_width(text, fnt, tracking=0):
    return sum(fnt.getlength(ch) for ch in text) + tracking * (len(text) - 1)


def draw_text(image, text, fnt, colour, x, y_top, tracking=0.0, anchor="left"):
    """Single-line text with extra letter spacing; y_top is the top of the capitals.

    Letters are placed at whole pixels so that small labels keep their hinted stems crisp.
    """
    draw = ImageDraw.Draw(image)
    width = text_width(text, fnt, tracking)
    if anchor == "center":
        x -= width / 2
    elif anchor == "right":
        x -= width
    cap_top = fnt.getbbox("H")[1]
    pos = x
    for ch in text:
        draw.text((int(round(pos)), y_top - cap_top), ch, font=fnt, fill=colour)
        pos += fnt.getlength(ch) + tracking
    return width


def engraved_text(image, text, fnt, colour, x, y_top, tracking=0.0, anchor="left", shadow=None):
    """Text with a one-pixel dark shadow below it, like lettering printed on a lit panel."""
    if shadow is not None:
        draw_text(image, text, fnt, shadow, x, y_top + 1, tracking, anchor)
    return draw_text(image, text, fnt, colour, x, y_top, tracking, anchor)


def polar(cx, cy, r, deg):
    a = math.radians(deg)
    return (cx + r * math.cos(a), cy - r * math.sin(a))
