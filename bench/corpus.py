#!/usr/bin/env python3
"""Writes a deterministic Shift-JIS test text of a given size.

The text is made up here from random syllables and words (nothing is taken
from any real text): chapters with headings, prose with kanji and kana,
dialogue, half-width katakana with sound marks, tab-separated tables, ASCII
words in mixed case, runs of duplicate lines and blank lines. Every line ends
in CR LF. The same size and seed always give the same bytes.

Usage: corpus.py SIZE OUTPUT   (SIZE in bytes, or with a K, M or G suffix)
"""
import random
import sys

SEED = 20260801


def sjis(code):
    return bytes((code >> 8, code & 0xFF))


def trail_bytes():
    return [t for t in range(0x40, 0xFD) if t != 0x7F]


def make_alphabets():
    hira = [sjis(c) for c in range(0x829F, 0x82F2)]
    kata = [sjis(c) for c in range(0x8340, 0x8397) if c != 0x837F]
    kanji = []
    for lead in range(0x88, 0x99):
        for t in trail_bytes():
            code = (lead << 8) | t
            # The heading mark stays out of the words so that only
            # headings start with it.
            if 0x889F <= code <= 0x9872 and code != 0x91E6:
                kanji.append(sjis(code))
    # Half-width katakana: plain ones, and the ones that take a sound mark.
    half = [bytes((b,)) for b in range(0xA6, 0xDE)]
    voiced = [bytes((b, 0xDE)) for b in list(range(0xB6, 0xC5)) + list(range(0xCA, 0xCF))]
    semi = [bytes((b, 0xDF)) for b in range(0xCA, 0xCF)]
    return hira, kata, kanji, half, voiced + semi


def make_vocabulary(rng):
    hira, kata, kanji, half, marked = make_alphabets()
    words = {}
    words["kanji"] = [b"".join(rng.choices(kanji, k=rng.choice((1, 2, 2, 2, 3)))) for _ in range(4000)]
    words["hira"] = [b"".join(rng.choices(hira, k=rng.choice((1, 1, 2, 3)))) for _ in range(600)]
    words["kata"] = [b"".join(rng.choices(kata, k=rng.randint(2, 6))) for _ in range(800)]
    hw = []
    for _ in range(600):
        parts = [rng.choice(marked) if rng.random() < 0.3 else rng.choice(half) for _ in range(rng.randint(2, 7))]
        hw.append(b"".join(parts))
    words["half"] = hw
    ascii_words = []
    letters = "abcdefghijklmnopqrstuvwxyz"
    for _ in range(1500):
        w = "".join(rng.choices(letters, k=rng.randint(2, 9)))
        r = rng.random()
        if r < 0.3:
            w = w.capitalize()
        elif r < 0.4:
            w = w.upper()
        ascii_words.append(w.encode())
    words["ascii"] = ascii_words
    words["num"] = [str(rng.randint(0, 99999)).encode() for _ in range(500)]
    words["punct"] = [sjis(0x8141), sjis(0x8141), sjis(0x8145), sjis(0x815B)]  # 、、・ー
    return words


KANJI_DIGITS = [sjis(c) for c in (0x88EA, 0x93F1, 0x8E4F, 0x8E6C, 0x8CDC, 0x985A, 0x8EB5, 0x94AA, 0x8BE3)]
TEN = sjis(0x8F5C)
HUNDRED = sjis(0x9553)
DAI = sjis(0x91E6)  # the heading mark that pattern split cuts at
SHOU = sjis(0x8FCD)
FULL_SPACE = sjis(0x8140)
MARU = sjis(0x8142)
OPEN_Q, CLOSE_Q = sjis(0x8175), sjis(0x8176)
STAR = sjis(0x8196)
OPEN_NOTE, CLOSE_NOTE = sjis(0x816D), sjis(0x816E)  # the note mark that pattern split cuts at


def kanji_number(n):
    out = b""
    if n >= 100:
        if n // 100 > 1:
            out += KANJI_DIGITS[n // 100 - 1]
        out += HUNDRED
        n %= 100
    if n >= 10:
        if n // 10 > 1:
            out += KANJI_DIGITS[n // 10 - 1]
        out += TEN
        n %= 10
    if n:
        out += KANJI_DIGITS[n - 1]
    return out


class Writer:
    def __init__(self, rng):
        self.rng = rng
        self.w = make_vocabulary(rng)
        self.chapter = 0

    def phrase(self):
        rng, w = self.rng, self.w
        r = rng.random()
        if r < 0.55:
            return rng.choice(w["kanji"]) + rng.choice(w["hira"])
        if r < 0.7:
            return rng.choice(w["kata"]) + rng.choice(w["hira"])
        if r < 0.78:
            return rng.choice(w["half"])
        if r < 0.9:
            return b" " + rng.choice(w["ascii"]) + b" "
        if r < 0.95:
            return rng.choice(w["num"])
        return rng.choice(w["punct"])

    def sentence(self):
        n = self.rng.randint(4, 14)
        return b"".join(self.phrase() for _ in range(n)) + MARU

    def prose(self):
        rng = self.rng
        body = b"".join(self.sentence() for _ in range(rng.randint(1, 3)))
        if rng.random() < 0.6:
            body = FULL_SPACE + body
        return body

    def dialogue(self):
        return OPEN_Q + self.sentence() + CLOSE_Q

    def table(self):
        rng, w = self.rng, self.w
        cells = [rng.choice(w["kanji"]), rng.choice(w["ascii"]), rng.choice(w["num"]), rng.choice(w["half"])]
        rng.shuffle(cells)
        line = b"\t".join(cells[: rng.randint(2, 4)])
        if rng.random() < 0.3:
            line = b"\t" + line
        return line

    def heading(self):
        self.chapter += 1
        title = b"".join(self.rng.choice(self.w["kanji"]) for _ in range(self.rng.randint(1, 3)))
        return DAI + kanji_number(self.chapter % 1000) + SHOU + FULL_SPACE + title

    def note(self):
        return OPEN_NOTE + self.rng.choice(self.w["kanji"]) + CLOSE_NOTE + self.sentence()

    def swap_case(self, line):
        return line.swapcase()  # bytes.swapcase touches ASCII letters only

    def block(self):
        """One group of lines (a list of byte strings without newlines)."""
        rng = self.rng
        r = rng.random()
        if r < 0.55:
            return [self.prose()]
        if r < 0.75:
            return [self.dialogue()]
        if r < 0.85:
            return [self.table() for _ in range(rng.randint(2, 6))]
        if r < 0.90:
            return [b""] * rng.randint(1, 3)
        if r < 0.95:
            line = self.prose() if rng.random() < 0.5 else self.table()
            return [line] * rng.randint(2, 6)
        if r < 0.98:
            line = b" " + self.table() + b" " + rng.choice(self.w["ascii"])
            return [line, self.swap_case(line), line]
        if r < 0.99:
            return [self.note()]
        return [FULL_SPACE * 3 + STAR + FULL_SPACE + STAR + FULL_SPACE + STAR]


def generate(size, out):
    rng = random.Random(SEED)
    writer = Writer(rng)
    written = 0
    next_chapter = 0
    pending = []
    pending_size = 0
    while written + pending_size < size:
        if written + pending_size >= next_chapter:
            lines = [b"", writer.heading(), b""]
            next_chapter += rng.randint(256 * 1024, 768 * 1024)
        else:
            lines = writer.block()
        chunk = b"\r\n".join(lines) + b"\r\n"
        pending.append(chunk)
        pending_size += len(chunk)
        if pending_size >= 1 << 20:
            out.write(b"".join(pending))
            written += pending_size
            pending, pending_size = [], 0
    out.write(b"".join(pending))
    written += pending_size
    return written


def parse_size(text):
    mult = {"K": 1 << 10, "M": 1 << 20, "G": 1 << 30}
    text = text.strip().upper()
    if text and text[-1] in mult:
        return int(float(text[:-1]) * mult[text[-1]])
    return int(text)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    size = parse_size(sys.argv[1])
    with open(sys.argv[2], "wb") as out:
        generate(size, out)


if __name__ == "__main__":
    main()
