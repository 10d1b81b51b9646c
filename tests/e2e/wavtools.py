"""Known signals for the recording tests, and checks of what the program saved."""

import math
import struct
import wave
from pathlib import Path

RATE = 44100
# Two tones that start at full swing, so the first played frame is never silent.
LEFT_HZ, RIGHT_HZ = 441.0, 630.0
AMPLITUDE = 12000


def tone_frames(seconds):
    frames = []
    for n in range(int(seconds * RATE)):
        left = int(AMPLITUDE * math.cos(2 * math.pi * LEFT_HZ * n / RATE))
        right = int(AMPLITUDE * math.cos(2 * math.pi * RIGHT_HZ * n / RATE))
        frames.append((left, right))
    return frames


def write_tone(path, seconds):
    frames = tone_frames(seconds)
    with wave.open(str(path), "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<hh", l, r) for l, r in frames))
    return frames


def read_wav(path):
    """(channels, bits, rate, frames as (left, right) pairs) of a 16-bit stereo file, or of
    any other format with frames left empty."""
    with wave.open(str(Path(path)), "rb") as w:
        channels, width, rate = w.getnchannels(), w.getsampwidth(), w.getframerate()
        raw = w.readframes(w.getnframes())
        count = w.getnframes()
    frames = []
    if channels == 2 and width == 2:
        frames = list(struct.iter_unpack("<hh", raw))
    return channels, width * 8, rate, frames if frames else [None] * count


def matching_run(recorded, played):
    """How many frames of `played`, from its first, the recording holds in a row, starting at
    the recording's first frame that is not silent (the null sink is exact, but allow one
    step of rounding)."""
    start = next((i for i, f in enumerate(recorded) if f != (0, 0)), None)
    if start is None:
        return 0
    run = 0
    for rec, src in zip(recorded[start:], played):
        if abs(rec[0] - src[0]) > 1 or abs(rec[1] - src[1]) > 1:
            break
        run += 1
    return run
