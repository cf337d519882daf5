#!/usr/bin/env python3
"""Composes and synthesizes the background music, a sarabande in D minor, and encodes it as Ogg Vorbis.

The piece is rendered on a ring of exactly one period: every note's tail and the reverb that passes the
end of the period are folded back onto its start, so the last sample leads into the first just as any
sample leads into the next and the track loops without a click or a gap.

Usage: music.py OUT_DATA_DIR   (writes OUT_DATA_DIR/sounds/Vostel_sarabando_mi.ogg; needs oggenc)
"""
import os
import subprocess
import sys
import tempfile
import wave

import numpy as np

RATE = 22050
BEAT_SECONDS = 0.8          # slow triple metre: one bar lasts 2.4 s
BEATS_PER_BAR = 3
OGG_QUALITY = "3"
OGG_SERIAL = "4747"         # a fixed stream serial keeps the file reproducible
REVERB_SECONDS = 2.0

# Bass root and the chord struck on the second beat, for each harmony (MIDI note numbers).
HARMONY = {
    "Dm": (38, (57, 62, 65)),
    "Gm": (43, (55, 58, 62)),
    "A":  (45, (57, 61, 64)),
    "A7": (45, (55, 61, 64)),
    "F":  (41, (57, 60, 65)),
    "C":  (48, (55, 60, 64)),
    "Bb": (46, (53, 58, 62)),
}

# Each bar: harmony, then the tune as (beat, length in beats, note). The long note on beat two
# carries the dance's weight.
FIRST_HALF = (
    ("Dm", ((0, 1, 74), (1, 1.5, 77), (2.5, 0.5, 76))),
    ("Gm", ((0, 1, 74), (1, 1.5, 79), (2.5, 0.5, 77))),
    ("A",  ((0, 1, 76), (1, 1.5, 73), (2.5, 0.5, 74))),
    ("Dm", ((0, 1, 77), (1, 2, 74))),
    ("F",  ((0, 1, 72), (1, 1.5, 77), (2.5, 0.5, 76))),
    ("C",  ((0, 1, 76), (1, 1.5, 79), (2.5, 0.5, 77))),
    ("Bb", ((0, 1, 74), (1, 1.5, 77), (2.5, 0.5, 74))),
    ("A",  ((0, 1, 73), (1, 2, 76))),
)
SECOND_HALF = (
    ("Dm", ((0, 1, 81), (1, 1.5, 77), (2.5, 0.5, 79))),
    ("Gm", ((0, 1, 82), (1, 1.5, 79), (2.5, 0.5, 77))),
    ("C",  ((0, 1, 76), (1, 1.5, 79), (2.5, 0.5, 76))),
    ("F",  ((0, 1, 77), (1, 2, 72))),
    ("Bb", ((0, 1, 74), (1, 1.5, 77), (2.5, 0.5, 74))),
    ("Gm", ((0, 1, 70), (1, 1.5, 74), (2.5, 0.5, 79))),
    ("A",  ((0, 1, 76), (1, 1.5, 73), (2.5, 0.5, 76))),
    ("A7", ((0, 1, 79), (1, 2, 73))),
)


def ornamented(bars):
    """The repeat of a half: the long second-beat note gets a turn from the note above."""
    result = []
    for harmony, tune in bars:
        notes = []
        for beat, length, note in tune:
            if beat == 1 and length >= 1.5:
                notes += [(1, 0.25, note), (1.25, 0.25, note + 2 if note % 12 not in (1, 4, 9) else note + 1),
                          (1.5, length - 0.5, note)]
            else:
                notes.append((beat, length, note))
        result.append((harmony, tuple(notes)))
    return tuple(result)


PIECE = FIRST_HALF + ornamented(FIRST_HALF) + SECOND_HALF + ornamented(SECOND_HALF)


def frequency(note):
    return 440.0 * 2.0 ** ((note - 69) / 12.0)


def plucked(note, seconds, loudness):
    """A lute-like string: bright harmonics that die away faster than the fundamental."""
    f = frequency(note)
    length = int((seconds + 1.2) * RATE)
    t = np.arange(length) / RATE
    tone = np.zeros(length)
    for k in range(1, 12):
        if k * f > RATE * 0.45:
            break
        decay = 1.2 + 0.9 * k
        tone += np.sin(2 * np.pi * k * f * t * (1 + 0.0004 * k)) * np.exp(-decay * t) / k ** 1.2
    damp = np.clip(1.0 - (t - seconds) / 0.4, 0.0, 1.0)  # the player lifts the finger after the note
    attack = np.clip(t / 0.004, 0.0, 1.0)
    return loudness * tone * damp * attack


def flute(note, seconds, loudness):
    """A soft wooden flute for the tune, with a gentle vibrato that starts late in the note."""
    f = frequency(note)
    length = int((seconds + 0.3) * RATE)
    t = np.arange(length) / RATE
    vibrato = 0.004 * np.clip((t - 0.25) / 0.4, 0.0, 1.0) * np.sin(2 * np.pi * 5.0 * t)
    phase = 2 * np.pi * f * np.cumsum(1.0 + vibrato) / RATE
    tone = np.sin(phase) + 0.35 * np.sin(2 * phase) + 0.12 * np.sin(3 * phase) + 0.05 * np.sin(4 * phase)
    envelope = np.minimum(np.clip(t / 0.06, 0.0, 1.0), np.clip((seconds + 0.3 - t) / 0.3, 0.0, 1.0))
    return loudness * tone * envelope


class Ring:
    """A stereo buffer of one period; whatever is written past its end wraps round to its start."""

    def __init__(self, samples):
        self.data = np.zeros((2, samples))

    def add(self, start, sound, pan):
        left, right = np.cos(pan * np.pi / 2), np.sin(pan * np.pi / 2)
        positions = (start + np.arange(len(sound))) % self.data.shape[1]
        np.add.at(self.data[0], positions, left * sound)
        np.add.at(self.data[1], positions, right * sound)


def perform(ring):
    beat = int(BEAT_SECONDS * RATE)
    for bar, (harmony, tune) in enumerate(PIECE):
        bar_start = bar * BEATS_PER_BAR * beat
        root, chord = HARMONY[harmony]
        ring.add(bar_start, plucked(root, 3 * BEAT_SECONDS, 0.40), 0.5)
        # The dance leans on its second beat: the fullest chord, lightly rolled, with the bass again
        # an octave up, and the tune's long note starting there a little louder.
        ring.add(bar_start + beat, plucked(root + 12, 1.8 * BEAT_SECONDS, 0.26), 0.45)
        for spread, note in enumerate(chord):
            ring.add(bar_start + beat + (spread + 1) * int(0.018 * RATE),
                     plucked(note, 1.8 * BEAT_SECONDS, 0.36), 0.3)
        for note in chord[1:]:
            ring.add(bar_start + 2 * beat, plucked(note, 0.8 * BEAT_SECONDS, 0.10), 0.35)
        for at, length, note in tune:
            loudness = 0.38 if 1 <= at < 2 else 0.30
            ring.add(bar_start + int(at * beat), flute(note, length * BEAT_SECONDS, loudness), 0.65)


def reverberate(ring, seed=47):
    """Circular convolution with a decaying noise tail, so the reverb too wraps round the loop."""
    samples = ring.data.shape[1]
    rng = np.random.default_rng(seed)
    tail = int(REVERB_SECONDS * RATE)
    t = np.arange(tail) / RATE
    wet = np.empty_like(ring.data)
    for channel in range(2):
        response = np.zeros(samples)
        response[:tail] = rng.standard_normal(tail) * np.exp(-3.2 * t) * np.clip(t / 0.02, 0, 1)
        response[0] = 0.0
        response *= 0.5 / np.sqrt(np.sum(response ** 2))
        wet[channel] = np.fft.irfft(np.fft.rfft(ring.data[channel]) * np.fft.rfft(response), samples)
    return ring.data + wet


def render():
    beat = int(BEAT_SECONDS * RATE)
    ring = Ring(len(PIECE) * BEATS_PER_BAR * beat)
    perform(ring)
    mixed = reverberate(ring)
    mixed *= 0.8 / np.max(np.abs(mixed))
    return np.round(mixed.T * 32767).astype("<i2")


def write_wave(path, frames):
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames.tobytes())


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: music.py OUT_DATA_DIR")
    folder = os.path.join(argv[1], "sounds")
    os.makedirs(folder, exist_ok=True)
    target = os.path.join(folder, "Vostel_sarabando_mi.ogg")
    with tempfile.TemporaryDirectory() as scratch:
        wav = os.path.join(scratch, "sarabande.wav")
        write_wave(wav, render())
        subprocess.run(["oggenc", "--quiet", "-q", OGG_QUALITY, "--serial", OGG_SERIAL,
                        "--title", "Vostel sarabando mi", "-o", target, wav], check=True)


if __name__ == "__main__":
    main(sys.argv)
