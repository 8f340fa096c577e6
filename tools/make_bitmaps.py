#!/usr/bin/python3
"""Renders the editor's ten bitmap resources into resources/bitmaps/.

  make_bitmaps.py                 write the bitmaps
  make_bitmaps.py --check         exit 1 when a committed bitmap differs from what this program renders
  make_bitmaps.py --preview FILE  also write PNG mock-ups of the editor with every control in place
                                  (FILE) and of the about picture with its version line

The output is the same bytes on every run: no clock, no unseeded randomness, fixed fonts.
"""

import argparse
import sys

sys.dont_write_bytecode = True  # keep the source tree clean when the test runs this

from pathlib import Path  # noqa: E402

import PIL  # noqa: E402
from PIL import features  # noqa: E402

from artwork import bmp, catalogue, preview  # noqa: E402

REPO = Path(__file__).resolve().parent.parent
DEFAULT_OUT = REPO / "resources" / "bitmaps"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=Path, default=DEFAULT_OUT, help="folder of the .bmp files")
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    parser.add_argument("--preview", type=Path, help="PNG mock-up of the whole editor")
    args = parser.parse_args()

    images = catalogue.render_all()
    stale = []
    for entry in catalogue.ENTRIES:
        data = bmp.encode(images[entry.resource_id])
        path = args.out / entry.file_name
        if args.check:
            if not path.is_file() or path.read_bytes() != data:
                stale.append(path)
        else:
            args.out.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)
    if args.preview:
        preview.editor_mock(images).save(args.preview)
        preview.about_mock(images).save(args.preview.with_name(args.preview.stem + "-about.png"))
    if stale:
        for path in stale:
            print(f"out of date with tools/make_bitmaps.py: {path}", file=sys.stderr)
        print("run /usr/bin/python3 tools/make_bitmaps.py and commit the result", file=sys.stderr)
        # Text rasterising depends on these; a different pair redraws letters a little differently.
        print(f"(rendered with Pillow {PIL.__version__}, FreeType {features.version('freetype2')})",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
