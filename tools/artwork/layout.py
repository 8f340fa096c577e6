"""Where the editor places its controls, and the palette every picture shares.

Rectangles are (left, top, right, bottom) in editor coordinates; right and bottom are exclusive,
as the editor's controls use them.
"""

EDITOR_SIZE = (238, 226)

TITLE_RECT = (11, 7, 75, 22)  # click area of the about picture
ABOUT_VERSION_RECT = (75, 175, 175, 190)  # where the editor prints "Version: ..." in white

PAD_RECT = (13, 31, 159, 115)
PAD_BITMAP_SIZE = (147, 85)

KNOB_SIZE = 42
KNOB_FRAMES = 65
KNOB_RECTS = [(19, 161, 61, 203), (69, 161, 111, 203), (119, 161, 161, 203)]
KNOB_LABELS = ["FREQ", "DELAY", "STAGES"]
# Pointer angles in degrees, counter-clockwise from pointing right: minimum lower left, maximum lower right.
KNOB_ARC_START_DEG = 225.0
KNOB_ARC_SWEEP_DEG = -270.0

FIELD_RECTS = [(16, 146, 63, 158), (66, 146, 113, 158), (116, 146, 163, 158)]
FIELD_BITMAP_SIZE = (48, 12)
MIX_FIELD_RECT = (187, 38, 214, 49)
MIX_FIELD_BITMAP_SIZE = (28, 13)

SLIDER_RECT = (195, 54, 207, 196)
THUMB_SIZE = (12, 22)
THUMB_TRAVEL = (54, 174)  # top edge of the thumb at value 1 and at value 0

SHAPE_BUTTON_SIZE = (34, 16)  # one state; off above on in each bitmap
SHAPE_BUTTON_ORIGINS = [(52, 121), (90, 121), (128, 121)]  # ramp, peak, square
SHAPE_ICONS = ["ramp", "peak", "square"]

KEY = (255, 255, 255)  # transparent colour of keyed draws
NEAR_WHITE = (254, 254, 254)  # what a rendered white becomes where it must stay opaque

# Palette: dark anodised panel, light engraving, cyan accent matching the pad's second curve.
PANEL_TOP = (58, 61, 67)
PANEL_BOTTOM = (40, 42, 47)
PANEL_EDGE_LIGHT = (92, 96, 104)
PANEL_EDGE_DARK = (18, 19, 22)
RECESS = (25, 26, 29)  # knob wells and slots
ENGRAVE_DARK = (22, 23, 26)
ENGRAVE_LIGHT = (88, 92, 99)
TITLE = (236, 239, 243)
LABEL = (208, 212, 218)
LABEL_DIM = (138, 144, 152)
ACCENT = (145, 227, 238)
ACCENT_DEEP = (52, 150, 168)
DISPLAY = (9, 14, 17)
DISPLAY_SHADOW = (3, 5, 6)
