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


def matching_frames(recorded, played):
    """How many frames of the recording are frames of `played`, sample for sample (one step of
    rounding allowed). The recording is taken in blocks of 50 ms, each matched where it lies in
    `played`, so a skip of the player on a busy machine costs only the block it falls in."""
    where = {}
    for i in range(len(played) - 3):
        where.setdefault(tuple(played[i:i + 4]), i)
    block, total = RATE // 20, 0
    for first in range(0, len(recorded), block):
        chunk = recorded[first:first + block]
        for p in range(len(chunk) - 3):
            start = where.get(tuple(chunk[p:p + 4]))
            if start is not None:
                break
        else:
            continue
        for rec, src in zip(chunk[p:], played[start:]):
            if abs(rec[0] - src[0]) <= 1 and abs(rec[1] - src[1]) <= 1:
                total += 1
    return total
