"""What the live-host checks share: reading any audio file as float frames, and chorus-host's render of an
input after a lead of silence (the frames a host ran the plug-in on before the input arrived)."""
import os
import subprocess
import wave

import numpy as np

RATE = 44100


def read(path):
    raw = subprocess.run(["sox", path, "-t", "f32", "-"], capture_output=True, check=True).stdout
    channels = int(subprocess.run(["soxi", "-c", path], capture_output=True, check=True, text=True).stdout)
    return np.frombuffer(raw, np.float32).reshape(-1, channels).astype(np.float64)


def correlation(a, b):
    return float(np.dot(a, b) / np.sqrt(np.dot(a, a) * np.dot(b, b)))


def render_after(host, module, samples, lead, work, options):
    """chorus-host's render of `lead` silent frames then `samples` (written as 16-bit, as the hosts were fed),
    with the lead cut off again."""
    source, target = os.path.join(work, "in.wav"), os.path.join(work, "out.wav")
    with wave.open(source, "wb") as f:
        f.setnchannels(samples.shape[1])
        f.setsampwidth(2)
        f.setframerate(RATE)
        padded = np.vstack([np.zeros((lead, samples.shape[1])), samples])
        f.writeframes(np.round(padded * 32768).astype("<i2").tobytes())
    subprocess.run([host, "render", module, source, target, "--quiet"] + list(options), check=True)
    return read(target)[lead:]
