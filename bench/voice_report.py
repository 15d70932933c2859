#!/usr/bin/env python3
"""Writes the "Following the voice" section of docs/PERFORMANCE.md from the voice_follow
figures of tavrix-bench (with or without the _offscreen suffix bench/run adds).

usage: voice_report.py FIGURES_FILE MARKDOWN
"""
import re
import sys

figures_path, markdown_path = sys.argv[1:3]
figures = {}
with open(figures_path) as f:
    for line in f:
        parts = line.split()
        if len(parts) >= 3 and parts[0].startswith("voice_"):
            figures[re.sub(r"_offscreen$|_x11$", "", parts[0])] = float(parts[1])

pattern = re.compile(r"voice_(\w+?)_(en-us|en)_(\d+)wpm_(\w+)$")
runs = {}
for name, v in figures.items():
    m = pattern.match(name)
    if m:
        runs.setdefault((m.group(1), m.group(2), int(m.group(3))), {})[m.group(4)] = v

TARGETS = {
    "lag_median": ("<=", 1.0),
    "lag_p95": ("<=", 2.0),
    "worst_ahead": ("<=", 1.0),
    "processor": ("<=", 60.0),
    "skipped_paragraph_catch_up": ("<=", 5.0),
    "repeated_sentence_beyond_its_end": ("<=", 1.0),
    "silence_movement": ("<=", 0.0),
}


def cell(run, key, fmt):
    v = run.get(key)
    if v is None:
        return "not measured"
    text = fmt.format(v)
    target = TARGETS.get(key)
    if target and key != "skipped_paragraph_catch_up" or (target and v >= 0):
        op, limit = target
        met = v <= limit if op == "<=" else v >= limit
        return text if met else f"**{text}** (missed)"
    return f"**never** (missed)" if v < 0 else text


lines = ["## Following the voice", ""]
lines += [
    "Measured with `bench/run voice` (or as part of `bench/run`): espeak-ng speaks three",
    "scripts of 250 to 270 words kept in `bench/data/voice` (written for this and never used",
    "while the aligner was developed) in Debian's English voices; the word times are",
    "espeak-ng's own word events (the start of each word in its audio). The speech goes",
    "through the replay path (`tavrix-bench --voice-replay`: 16 kHz, in 50 ms pieces,",
    "the same converter, recogniser and aligner as the microphone) as fast as it decodes;",
    "each piece's answer counts as ready when a decoder that started on it when its",
    "audio arrived would have finished, using the processor time it really took. The page",
    "is a 1600-pixel-wide, 200-pixel-high script area in 40-pixel Liberation Sans with",
    "the Coarse step at 1 (so at most 1 px/ms), driven frame by frame at 60 Hz by the",
    "same motion class as the prompter. Lag: from a word's spoken start to the first",
    "frame its line is on the reading line (0 when it already was); words above the",
    "reading line at the start are left out. Ahead: how far the reading line ever was",
    "past the line of the word being spoken, in lines (negative: never reached it).",
    "Processor: decoding and alignment time over audio time, one core.",
    "",
    "| Script | Voice | Words/min | Lag median | Lag p95 | Recognised (median) | Stalls | Worst ahead | Processor |",
    "|---|---|---|---|---|---|---|---|---|",
]
for (text, voice, wpm), run in sorted(runs.items()):
    lines.append(
        f"| {text} | {voice} | {wpm} | {cell(run, 'lag_median', '{:.2f} s')} | "
        f"{cell(run, 'lag_p95', '{:.2f} s')} | {run.get('recognised_lag_median', 0):.2f} s | "
        f"{run.get('stalls', 0):.0f} ({run.get('stalled', 0):.0f} s) | "
        f"{cell(run, 'worst_ahead', '{:.2f} lines')} | {cell(run, 'processor', '{:.1f} %')} |"
    )
lines += [
    "",
    "\"Recognised\" is the part of the lag that is the recogniser's and the aligner's: from",
    "the spoken start to the aligner reaching the word; the rest is the page's easing.",
    "Stalls: 1.5 s or more without the aligner moving while three or more words were",
    "said, with their total time; these make the 95th percentile.",
    "",
    "The median lag is 0 because the reading line moves through a line as its words are",
    "said (a share of the line a word), so most words are on the reading line before they",
    "are said; the worst ahead stays just under one line for the same reason: after a",
    "line's last word the page stops a share short of the next line.",
    "",
    "What limits the figures: the recogniser. The recognised lag (about 0.4 s in the US",
    "voice) is PocketSphinx's partial hypothesis trailing the audio; the page's easing adds",
    "little. Each stall looked at (in orchard and harbour) is a stretch the recogniser misheard, mostly a",
    "paragraph's or sentence's opening words after a pause (the third paragraph of",
    "\"orchard\" at 140 words a minute came out as \"trees to the old when picked the fruit\"",
    "for \"This autumn the orchard gave its first real harvest. Schoolchildren picked the",
    "fruit\"); the aligner then holds still, as it should, until words match again. The",
    "British voice, heard with the American acoustic model, stalls about twice as often.",
    "The recogniser's language weight (10, above the default) was chosen on speech kept",
    "apart from these three scripts.",
    "",
    "The second paragraph skipped (time from the third paragraph's first word to the page",
    "reaching it), the second paragraph's second sentence read twice (how far the page went",
    "past that sentence's last line while it was read again), and 10 s of silence after",
    "the second paragraph (page movement from 2 s after the last word to the end of the",
    "silence):",
    "",
    "| Script | Voice | Words/min | Skipped paragraph caught up | Skipped: worst ahead | Repeated sentence: past its end | Silence: movement |",
    "|---|---|---|---|---|---|---|",
]
for (text, voice, wpm), run in sorted(runs.items()):
    if "silence_movement" not in run:
        continue
    lines.append(
        f"| {text} | {voice} | {wpm} | {cell(run, 'skipped_paragraph_catch_up', '{:.2f} s')} | "
        f"{cell(run, 'skipped_worst_ahead', '{:.2f} lines')} | "
        f"{cell(run, 'repeated_sentence_beyond_its_end', '{:.2f} lines')} | "
        f"{cell(run, 'silence_movement', '{:.0f} px')} |"
    )
lines.append("")
build = figures.get("voice_100000_lines_model_and_recogniser")
words = figures.get("voice_100000_lines_words")
characters = figures.get("voice_100000_lines_characters")
if build is not None:
    lines += [
        f"A script of 100,000 lines ({words:.0f} words, {characters:.0f} characters): the speech",
        f"model, the recogniser, the aligner and the words' places take {build / 1000:.1f} s on",
        "the voice thread, while the band goes on; following starts when they are ready.",
        "",
    ]
section = "\n".join(lines) + "\n"

with open(markdown_path) as f:
    text = f.read()
start = text.find("## Following the voice")
if start >= 0:
    end = text.find("\n## ", start + 1)
    text = text[:start] + section + (text[end + 1:] if end >= 0 else "")
else:
    anchor = text.find("## Every figure")
    text = text[:anchor] + section + "\n" + text[anchor:] if anchor >= 0 else text + "\n" + section
with open(markdown_path, "w") as f:
    f.write(text)
