#!/usr/bin/env python3
"""jalv-match.py REC.wav FED.wav CHORUS_HOST MODULE PROGRAM CHANGE_FRAME CHANGE BLOCK MIN_BLOCKS MAX_BLOCKS [BYPASS_FROM]

Compares a live recording of the plug-in with chorus-host's render of the same input and changes. The
plug-in ran an unknown whole number of BLOCK-frame blocks on silence before the input arrived (its
modulation was already moving): each count from MIN_BLOCKS to MAX_BLOCKS is tried on the first piece, the
best one rendered in full. Passes when, aligned, both channels correlate >= 0.999 before and after the
change, at the same level (within 1 %), and the recording holds the whole input. With BYPASS_FROM (a frame
of the input) the plug-in was bypassed and switched back on after it: from there on, the frames that equal the
input exactly must form one run (the bypass), with no larger second difference around its ends than the
effect's or the input's own, and the rest must equal the render."""
import sys
import tempfile

import numpy as np

from audiomatch import RATE, correlation, read, render_after

LEAST_CORRELATION = 0.999
LEVEL_TOLERANCE = 0.01


def largest_bend(x):
    return float(np.max(np.abs(x[2:] - 2 * x[1:-1] + x[:-2]))) if len(x) > 2 else 0.0


def fade_allowance(wet, dry, frames):
    """What a click-free raised-cosine crossfade of `frames` frames between wet and dry can add to the larger of
    their own second differences: y'' = g w'' + (1 - g) d'' + 2 g' (w' - d') + g'' (w - d), with |g'| <= pi / 2N
    and |g''| <= pi^2 / 2N^2 per frame. A switch that clicks exceeds it by orders of magnitude."""
    apart = wet - dry
    slope = float(np.max(np.abs(np.diff(apart)))) if len(apart) > 1 else 0.0
    return np.pi / frames * slope + np.pi ** 2 / (2 * frames ** 2) * float(np.max(np.abs(apart)))


def bypass(aligned, fed, ref, start, end):
    """The frames of the bypass, or None with a message when they do not form one run."""
    sounding = np.abs(fed[start:end]).max(axis=1) > 1e-4
    dry = np.all(aligned[start:end] == fed[start:end], axis=1) & sounding
    frames = np.nonzero(dry)[0]
    if len(frames) == 0:
        print("FAIL: the input never came out unchanged: no bypass")
        return None
    first, last = start + frames[0], start + frames[-1]
    gaps = np.count_nonzero(~dry[frames[0]:frames[-1] + 1] & sounding[frames[0]:frames[-1] + 1])
    print(f"bypassed from frame {first} to {last} ({(last - first) / RATE:.3f} s), "
          f"{gaps} sounding frames in between not equal to the input")
    return (first, last) if gaps == 0 else None


def main(rec_path, fed_path, host, module, program, change_frame, change, block, least, most, bypass_from=None):
    rec, fed = read(rec_path), read(fed_path)
    change_frame, block, least, most = int(change_frame), int(block), int(least), int(most)
    # Where the input starts in the recording: the output carries the dry input without delay.
    size = 1 << int(np.ceil(np.log2(len(rec) + len(fed))))
    cross = np.fft.irfft(np.fft.rfft(rec[:, 0], size) * np.conj(np.fft.rfft(fed[:, 0], size)), size)
    start = int(np.argmax(cross[:len(rec)]))
    aligned = rec[start:]
    # The input's last partial block never reaches JACK: only whole blocks are compared.
    length = (len(fed) // block - 1) * block
    if len(aligned) < length:
        print(f"FAIL: the recording holds {len(aligned)} frames of the input's {length}")
        return 1
    with tempfile.TemporaryDirectory() as work:
        first = min(change_frame, length)
        scores = []
        for blocks in range(least, most + 1):
            ref = render_after(host, module, fed[:first], blocks * block, work,
                               ["--program", program, "--block", str(block)])
            scores.append((correlation(ref[:, 0], aligned[:first, 0]), blocks))
        score, blocks = max(scores)
        lead = blocks * block
        ref = render_after(host, module, fed, lead, work, ["--program", program, "--block", str(block),
                                                        "--at", str(lead + change_frame), change])
    print(f"input at recording frame {start}; {blocks} blocks ran before it (best of {least}..{most}, "
          f"first piece correlation {score:.6f})")
    failed = 0
    keep = np.ones(length, bool)
    if bypass_from is not None:
        found = bypass(aligned, fed, ref, int(bypass_from), length)
        if found is None:
            return 1
        first, last = found
        fade = int(RATE * 0.01) + 1  # the wrapper fades over 10 ms
        keep[first - fade:last + fade + 1] = False
        for c in range(2):
            for name, at in (("off", first - fade), ("on", last)):
                # The signal's own: the effect's and the input's, over 0.1 s around the switch, and what the fade
                # between the two adds where they differ.
                near = slice(at - 4096, at + 4096)
                own = max(largest_bend(ref[near, c]), largest_bend(fed[near, c]))
                own += fade_allowance(ref[at:at + fade, c], fed[at:at + fade, c], fade)
                bend = largest_bend(aligned[at - 64:at + fade + 64, c])
                ok = bend <= own
                failed += not ok
                print(f"{'ok  ' if ok else 'FAIL'} switched {name}, channel {c}: largest second difference {bend:.2e}, "
                      f"allowed {own:.2e} (the signals' own and the fade's)")
    for name, part in (("before the change", slice(0, change_frame)), ("after", slice(change_frame, length))):
        for c in range(2):
            a, b = aligned[part, c][keep[part]], ref[part, c][keep[part]]
            r = correlation(a, b)
            level = float(np.sqrt(np.mean(a * a) / np.mean(b * b)))
            largest = float(np.max(np.abs(a - b)))
            ok = r >= LEAST_CORRELATION and abs(level - 1) <= LEVEL_TOLERANCE
            failed += not ok
            print(f"{'ok  ' if ok else 'FAIL'} {name}, channel {c}: correlation {r:.7f}, level {level:.5f}, "
                  f"largest difference {largest:.2e}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
