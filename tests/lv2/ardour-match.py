#!/usr/bin/env python3
"""ardour-match.py EXPORT.wav TAKE.wav CHORUS_HOST MODULE PERIOD RENDER_OPTION...

Compares Ardour's export of a track with chorus-host's render of the take. Before the export Ardour runs
the plug-in on silence for a varying number of frames (its modulation already moving): that number is
found modulo the modulation's PERIOD in frames (coarse to fine, on the first half second), then the whole
take is compared away from Ardour's transport fades at both ends. Passes when both channels correlate
>= 0.999 at the same level (within 1 %) and no sample differs by more than 1e-3."""
import sys
import tempfile

import numpy as np

from audiomatch import correlation, read, render_after

# Frames left out at the ends: Ardour fades the transport in (seen up to 4600 frames) and out (under 100).
EDGE = 8192
TAIL = 2048
PROBE = 22050


def main(export_path, take_path, host, module, period, *options):
    out, take = read(export_path), read(take_path)
    period = int(period)
    with tempfile.TemporaryDirectory() as work:
        def render(frames, lead):
            return render_after(host, module, take[:frames], lead, work, options)

        def fit(start):
            """The lead that best fits the export's PROBE frames from `start`, and its correlation."""
            def score(lead):
                ref = render(start + PROBE, lead % period)
                return correlation(ref[start:, 0], out[start:start + PROBE, 0])

            best = 0
            for step, span in ((512, period), (32, 512), (1, 32)):
                candidates = range(best - span, best + span + 1, step) if step < 512 else range(0, period, step)
                best = max(candidates, key=score) % period
            return best, score(best)

        best = fit(EDGE)[0]
        ref = render(len(take), best)
        length = min(len(out), len(ref))
        part = slice(EDGE, length - TAIL)
        print(f"Ardour ran the plug-in {best} frames (modulo {period}) before the take")
        failed = 0
        for c in range(2):
            a, b = out[part, c], ref[part, c]
            r = correlation(a, b)
            level = float(np.sqrt(np.mean(a * a) / np.mean(b * b)))
            largest = float(np.max(np.abs(a - b)))
            ok = r >= 0.999 and abs(level - 1) <= 0.01 and largest <= 1e-3
            failed += not ok
            print(f"{'ok  ' if ok else 'FAIL'} channel {c}: correlation {r:.7f}, level {level:.5f}, "
                  f"largest difference {largest:.2e}")
        if abs(len(out) - len(take)) > 0:
            print(f"FAIL: the export has {len(out)} frames, the take {len(take)}")
            failed += 1
        if failed:
            # Where the export stops matching: a lead that changes from one window to the next means the host
            # skipped, repeated or restarted the plug-in there; one lead that fits nowhere, a different sound.
            for start in range(EDGE, length - TAIL - PROBE, PROBE):
                lead, r = fit(start)
                print(f"  frames {start}-{start + PROBE}: best lead {lead}, correlation {r:.5f}")
        return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
