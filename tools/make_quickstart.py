#!/usr/bin/env python3
"""Writes the bundled example drill into examples/quickstart/.

The source is exported as a spreadsheet would save it as Shift-JIS text;
cat.bmp is a 1-bit picture of a cat's face and cat.mp3 a few silent MPEG-1
Layer III frames. Run from the repository root; the outputs are committed.
"""
import os
import struct

OUT = os.path.join("examples", "quickstart")

SETTINGS = ["設定", "問題を読んで、正しい答えの番号を選んでください。", "", "ドリル", "", ""]
HEADING = ["分類1", "分類2", "分類3", "問題番号", "問題", "正解", "解説", "制限時間",
           "選択肢1", "選択肢2", "選択肢3", "選択肢4"]
RECORDS = [
    ["算数", "たし算", "1けた", "1", "3 + 4 = ?", "2", "3に4をたすと7です。", "0:30", "6", "7", "8", "9"],
    ["算数", "たし算", "1けた", "2", "5 + 2 = ?", "3", "", "", "5", "6", "7"],
    ["算数", "ひき算", "1けた", "1", "<B>9 - 3</B> = ?", "1", "<I>9から3をひく</I>と6です。", "1:00", "6", "5", "4"],
    ["英語", "単語", "動物", "1", "「ねこ」は英語で?<N><P>cat.bmp</P>", "2", "<V>cat.mp3</V>ねこは cat です。", "", "dog", "cat", "bird"],
    ["英語", "単語", "動物", "2", "「いぬ」は英語で?", "1", "", "0:20", "dog", "cat", "bird"],
    ["英語", "単語", "色", "1", '<TC color="red">赤</TC>は英語で?', "3", "", "", "blue", "green", "red"],
]


def source_text():
    lines = ["\t".join(SETTINGS), "\t".join(HEADING)] + ["\t".join(r) for r in RECORDS]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def cat_bmp():
    w, h = 32, 32
    rows = []
    for y in range(h):
        bits = 0
        for x in range(w):
            cx, cy = x - 15.5, y - 17.5
            face = cx * cx + cy * cy <= 13 * 13
            ear = (y < 10 and (abs(x - 6) < (10 - y) // 2 + 1 or abs(x - 25) < (10 - y) // 2 + 1))
            eye = (y in (13, 14)) and (x in (10, 11, 20, 21))
            black = (face or ear) and not eye
            if black:
                bits |= 1 << (31 - x)
        rows.append(struct.pack(">I", bits))
    pixels = b"".join(reversed(rows))  # bottom-up
    palette = bytes([255, 255, 255, 0, 0, 0, 0, 0])  # colour 0 white, 1 black
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    return header + info + palette + pixels


def cat_mp3():
    # MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, no padding: 417-byte frames.
    frame = bytes([0xFF, 0xFB, 0x90, 0x44]) + bytes(413)
    return frame * 12


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in (("quickstart.txt", source_text()), ("cat.bmp", cat_bmp()), ("cat.mp3", cat_mp3())):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
