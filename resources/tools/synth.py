#!/usr/bin/env python3
"""Synthesises the non-spoken parts of the game's sounds (chimes, ticks, buzzers, fanfares,
coughs, snores) with the standard library only. make_sounds.sh mixes them with espeak-ng
speech in sox.

Usage: synth.py OUTDIR   -> writes OUTDIR/fx_<name>.wav, 22050 Hz, mono, 16-bit.
"""
import array
import math
import os
import random
import sys
import wave

RATE = 22050
TAU = 2.0 * math.pi

# A fixed seed keeps the noise of coughs and snores the same on every run, so regenerating
# does not churn the committed files.
rng = random.Random(7772)


def silence(seconds):
    return [0.0] * int(seconds * RATE)


def mix_into(buf, part, at_seconds, gain=1.0):
    start = int(at_seconds * RATE)
    need = start + len(part)
    if need > len(buf):
        buf.extend([0.0] * (need - len(buf)))
    for i, v in enumerate(part):
        buf[start + i] += v * gain
    return buf


def note(freq):
    """Frequency of a note name like 'C5' or 'F#4' (A4 = 440 Hz)."""
    names = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}
    semis = names[freq[0]]
    rest = freq[1:]
    if rest.startswith("#"):
        semis += 1
        rest = rest[1:]
    elif rest.startswith("b"):
        semis -= 1
        rest = rest[1:]
    octave = int(rest)
    return 440.0 * 2 ** ((semis + 12 * (octave - 4)) / 12.0)


def bell(freq, dur, decay=3.0):
    """Glockenspiel-like tone: a few inharmonic partials, the high ones dying first."""
    partials = [(1.0, 1.0, 1.0), (2.0, 0.35, 1.8), (3.0, 0.15, 2.6), (4.16, 0.08, 3.5)]
    n = int(dur * RATE)
    out = []
    for i in range(n):
        t = i / RATE
        attack = min(1.0, t / 0.004)
        v = 0.0
        for ratio, amp, d in partials:
            v += amp * math.exp(-decay * d * t) * math.sin(TAU * freq * ratio * t)
        out.append(v * attack * 0.6)
    return out


def marimba(freq, dur, decay=9.0):
    n = int(dur * RATE)
    out = []
    for i in range(n):
        t = i / RATE
        attack = min(1.0, t / 0.002)
        v = math.sin(TAU * freq * t) + 0.25 * math.exp(-decay * 2 * t) * math.sin(TAU * freq * 4 * t)
        out.append(v * math.exp(-decay * t) * attack * 0.8)
    return out


def brass(freq, dur, bright=8):
    """Soft brass: band-limited sawtooth with a swell, light vibrato and a gentle release."""
    n = int(dur * RATE)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        vib = 1.0 + 0.004 * math.sin(TAU * 5.5 * t) * min(1.0, t / 0.15)
        phase += TAU * freq * vib / RATE
        # The upper harmonics open up as the note swells, as in a real horn.
        open_ = min(1.0, 0.35 + t / 0.06)
        v = 0.0
        for k in range(1, bright + 1):
            v += (open_ ** (k - 1)) * math.sin(k * phase) / k
        env = min(1.0, t / 0.025) * min(1.0, (dur - t) / 0.06)
        out.append(v * env * 0.45)
    return out


def buzz(freq, dur):
    """A game-show buzzer: two detuned square-ish tones beating against each other."""
    n = int(dur * RATE)
    out = []
    for i in range(n):
        t = i / RATE
        v = 0.0
        for f in (freq, freq * 1.012):
            for k in (1, 3, 5, 7, 9):
                v += math.sin(TAU * f * k * t) / k
        env = min(1.0, t / 0.01) * min(1.0, (dur - t) / 0.05)
        out.append(v * env * 0.35)
    return out


def tick(freq=1700.0, dur=0.14):
    """Clock tick: a short woodblock knock."""
    n = int(dur * RATE)
    out = []
    for i in range(n):
        t = i / RATE
        v = math.sin(TAU * freq * t) * math.exp(-45 * t)
        v += 0.5 * math.sin(TAU * freq * 2.3 * t) * math.exp(-80 * t)
        v += 0.3 * (rng.random() * 2 - 1) * math.exp(-400 * t)
        out.append(v * 0.7)
    return out


def glide(f0, f1, dur, shape="sine"):
    n = int(dur * RATE)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = f0 * (f1 / f0) ** (t / dur)
        phase += TAU * f / RATE
        v = math.sin(phase)
        if shape == "horn":
            v = v + 0.4 * math.sin(2 * phase) + 0.2 * math.sin(3 * phase)
        env = min(1.0, t / 0.02) * min(1.0, (dur - t) / 0.08)
        out.append(v * env * 0.5)
    return out


def lowpass(samples, cutoff):
    a = 1.0 - math.exp(-TAU * cutoff / RATE)
    y = 0.0
    out = []
    for s in samples:
        y += a * (s - y)
        out.append(y)
    return out


def bandnoise(dur, lo, hi):
    """Noise between lo and hi Hz: a low-pass at hi minus a low-pass at lo."""
    white = [rng.random() * 2 - 1 for _ in range(int(dur * RATE))]
    upper = lowpass(lowpass(white, hi), hi)
    lower = lowpass(lowpass(white, lo), lo)
    return [u - l for u, l in zip(upper, lower)]


def shaped(samples, env):
    n = len(samples)
    return [s * env(i / RATE, n / RATE) for i, s in enumerate(samples)]


def cough():
    out = []
    for at, length, level in ((0.0, 0.22, 1.0), (0.32, 0.18, 0.7)):
        burst = bandnoise(length, 180, 1600)
        voice = [0.35 * math.sin(TAU * 150 * i / RATE) for i in range(len(burst))]
        burst = [b + v for b, v in zip(burst, voice)]
        env = lambda t, d: min(1.0, t / 0.008) * math.exp(-9 * t)
        mix_into(out, shaped(burst, env), at, level)
    return out


def snore():
    """Two slow breaths: a rattling inhale (noise pulsed at 28 Hz) and a soft whistle out."""
    out = []
    for cycle in range(2):
        base = cycle * 1.15
        inhale = bandnoise(0.6, 70, 700)
        rattle = lambda t, d: (0.55 + 0.45 * math.sin(TAU * 28 * t)) * math.sin(math.pi * t / d)
        mix_into(out, shaped(inhale, rattle), base, 2.2)
        whistle = glide(900, 700, 0.4)
        soft = lambda t, d: math.sin(math.pi * t / d) ** 2
        mix_into(out, shaped(whistle, soft), base + 0.65, 0.12)
        exhale = bandnoise(0.4, 300, 2500)
        mix_into(out, shaped(exhale, soft), base + 0.65, 0.9)
    return out


def sneeze_burst():
    burst = bandnoise(0.35, 1200, 7000)
    env = lambda t, d: min(1.0, t / 0.01) * math.exp(-7 * t)
    return shaped(burst, env)


def chime_up(names, step, dur, voice=bell):
    out = []
    for k, name in enumerate(names):
        mix_into(out, voice(note(name), dur), k * step, 1.0)
    return out


def fanfare():
    out = []
    seq = [("C5", 0.0, 0.13), ("E5", 0.13, 0.13), ("G5", 0.26, 0.13), ("C6", 0.39, 0.55)]
    for name, at, length in seq:
        mix_into(out, brass(note(name), length), at)
    # A bright chord under the last note makes it land.
    for name in ("E5", "G5"):
        mix_into(out, brass(note(name), 0.55), 0.39, 0.45)
    mix_into(out, bell(note("C7"), 0.8, 2.0), 0.39, 0.25)
    return out


def sad_trombone():
    out = []
    for k, (f, length) in enumerate(((note("G3"), 0.3), (note("F#3"), 0.3), (note("F3"), 0.6))):
        part = glide(f, f * (0.97 if k == 2 else 1.0), length, "horn")
        mix_into(out, part, k * 0.32)
    return out


def write(path, samples):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = 0.89 * 32767 / peak
    data = array.array("h", (int(max(-32767, min(32767, s * scale))) for s in samples))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data.tobytes())


EFFECTS = {
    "tick": lambda: tick(),
    "ding": lambda: chime_up(["E6"], 0, 0.6),
    "dingdong": lambda: mix_into(bell(note("E5"), 0.5), bell(note("C5"), 0.9), 0.32),
    "submit": lambda: chime_up(["G5", "D6"], 0.08, 0.45),
    "arpup": lambda: chime_up(["C5", "E5", "G5", "C6"], 0.07, 0.5, marimba),
    "arpup2": lambda: chime_up(["D5", "F#5", "A5", "D6"], 0.06, 0.45),
    "arpdown": lambda: chime_up(["G5", "E5", "C5"], 0.09, 0.5, marimba),
    "sparkle": lambda: chime_up(["C6", "E6", "G6", "C7", "E7"], 0.05, 0.5),
    "fanfare": fanfare,
    "buzz": lambda: buzz(110.0, 0.42),
    "trombone": sad_trombone,
    "cough": cough,
    "snore": snore,
    "sneeze": sneeze_burst,
    "woosh": lambda: shaped(bandnoise(0.35, 400, 4000),
                            lambda t, d: math.sin(math.pi * t / d) ** 2),
}


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, make in EFFECTS.items():
        write(os.path.join(outdir, f"fx_{name}.wav"), make())


if __name__ == "__main__":
    main()
