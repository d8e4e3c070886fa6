#!/usr/bin/env python3
"""Writes the toolbox's own sounds into resources/sounds/.

switch1.wav  soft two-note chime, mono 22,050 Hz, about 0.8 s
switch2.wav  short tick, stereo 44,100 Hz, about 0.13 s
click.wav    soft click, stereo 22,050 Hz, about 0.07 s

All 16-bit PCM (what QSoundEffect reads everywhere). Envelopes start and end at
silence so no sound pops, and every sound is normalised well below full scale.
Run from anywhere: python3 scripts/make_sounds.py
"""

import math
import os
import random
import struct
import wave

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "sounds")


def raised_cosine(i, n):
    """0 → 1 over n samples, smooth at both ends."""
    if n <= 0 or i >= n:
        return 1.0
    return 0.5 - 0.5 * math.cos(math.pi * i / n)


def normalise(samples, peak):
    top = max(abs(s) for s in samples) or 1.0
    return [s * peak / top for s in samples]


def fade_edges(samples, rate, attack_s, release_s):
    n = len(samples)
    a = int(attack_s * rate)
    r = int(release_s * rate)
    out = []
    for i, s in enumerate(samples):
        g = raised_cosine(i, a) * raised_cosine(n - 1 - i, r)
        out.append(s * g)
    return out


def write(name, rate, channels, frames):
    """frames: list of per-channel tuples of floats in [-1, 1]."""
    path = os.path.join(OUT, name)
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        data = bytearray()
        for frame in frames:
            for v in frame:
                data += struct.pack("<h", int(round(max(-1.0, min(1.0, v)) * 32767)))
        w.writeframes(bytes(data))
    print(f"{path}: {len(frames)} frames, {len(frames) / rate:.3f} s")


def bell_note(t, freq):
    # A few soft partials give a glassy chime rather than a bare sine.
    return (math.sin(2 * math.pi * freq * t)
            + 0.35 * math.sin(2 * math.pi * 2 * freq * t)
            + 0.12 * math.sin(2 * math.pi * 3.01 * freq * t))


def switch1():
    rate = 22050
    n = int(0.8 * rate)
    notes = [(0.0, 783.99, 0.16), (0.16, 1046.50, 0.22)]  # G5 then C6
    out = []
    for i in range(n):
        t = i / rate
        s = 0.0
        for start, freq, tau in notes:
            if t >= start:
                u = t - start
                s += raised_cosine(u * rate, 0.006 * rate) * math.exp(-u / tau) * bell_note(u, freq)
        out.append(s)
    out = fade_edges(normalise(out, 0.55), rate, 0.002, 0.08)
    write("switch1.wav", rate, 1, [(s,) for s in out])


def switch2():
    rate = 44100
    n = int(0.13 * rate)
    rnd = random.Random(7)
    out = []
    lp = 0.0
    for i in range(n):
        t = i / rate
        lp += 0.25 * (rnd.uniform(-1, 1) - lp)  # gently filtered noise for the "wooden" attack
        body = math.sin(2 * math.pi * 2300 * t) * math.exp(-t / 0.012)
        knock = math.sin(2 * math.pi * 900 * t) * math.exp(-t / 0.025)
        noise = lp * math.exp(-t / 0.004)
        out.append(body + 0.6 * knock + 0.8 * noise)
    out = fade_edges(normalise(out, 0.5), rate, 0.0008, 0.03)
    # A hair of width: the right channel trails by a few samples.
    lag = 6
    write("switch2.wav", rate, 2,
          [(out[i], 0.92 * out[i - lag] if i >= lag else 0.0) for i in range(n)])


def click():
    rate = 22050
    n = int(0.07 * rate)
    out = []
    for i in range(n):
        t = i / rate
        out.append((math.sin(2 * math.pi * 1500 * t) + 0.3 * math.sin(2 * math.pi * 3100 * t))
                   * math.exp(-t / 0.009))
    out = fade_edges(normalise(out, 0.4), rate, 0.001, 0.02)
    write("click.wav", rate, 2, [(s, s) for s in out])


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    switch1()
    switch2()
    click()
