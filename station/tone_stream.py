"""The station's own music: a looped sequence of soft generated tones as a WAV file.

Nothing recorded is played; every sample is computed here, once, when the
station starts.
"""

import array
import math
import struct
import sys

SAMPLE_RATE = 22050
NOTE_SECONDS = 0.3
PEAK = 9000  # well below full scale, so a looped stream is never harsh

# A pentatonic phrase book; each phrase is a list of semitones above A3 (220 Hz).
# None is a rest.
PHRASES = [
    [0, 3, 5, 7, 10, 7, 5, 3],
    [12, 10, 7, 5, 7, None, 3, 0],
    [5, 7, 10, 12, 15, 12, 10, None],
    [7, 5, 3, 0, 3, 5, 0, None],
    [0, 0, 7, 7, 10, 10, 7, None],
    [5, 5, 3, 3, 0, 3, 5, None],
    [12, 15, 17, 15, 12, 10, 7, 10],
    [12, 10, 7, 5, 3, 5, 0, None],
]


def _note_frequency(semitones):
    return 220.0 * 2.0 ** (semitones / 12.0)


def _envelope(position, length):
    """Quick rise, long fall: the tones sound plucked rather than beeped."""
    attack = int(0.02 * SAMPLE_RATE)
    if position < attack:
        return position / attack
    return math.exp(-3.5 * (position - attack) / length)


def _render_note(semitones, samples):
    note_length = int(NOTE_SECONDS * SAMPLE_RATE)
    if semitones is None:
        samples.extend([0] * note_length)
        return
    step = 2.0 * math.pi * _note_frequency(semitones) / SAMPLE_RATE
    for i in range(note_length):
        # The fundamental and a quiet octave above it.
        tone = math.sin(step * i) + 0.3 * math.sin(2.0 * step * i)
        samples.append(int(PEAK * _envelope(i, note_length) * tone / 1.3))


def render_samples():
    """All phrases in order, as 16-bit mono samples."""
    samples = array.array("h")
    for phrase in PHRASES:
        for note in phrase:
            _render_note(note, samples)
    return samples


BYTE_RATE = SAMPLE_RATE * 2
HEADER_SIZE = 44
ENDLESS = 0xFFFFFFFF  # the size a live WAV stream gives: players read it as unknown


def wav_header(data_size):
    """A canonical 44-byte header for 16-bit mono PCM."""
    return b"".join([
        b"RIFF", struct.pack("<I", min(36 + data_size, ENDLESS)), b"WAVE",
        b"fmt ", struct.pack("<IHHIIHH", 16, 1, 1, SAMPLE_RATE, BYTE_RATE, 2, 16),
        b"data", struct.pack("<I", data_size),
    ])


def render_wav():
    samples = render_samples()
    if sys.byteorder != "little":
        samples.byteswap()
    data = samples.tobytes()
    return wav_header(len(data)) + data

