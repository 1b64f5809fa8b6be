#!/usr/bin/env python3
"""Draws the pictures of the bundled sample galleries into data/samples/.

Five 1600 x 1000 JPEG pictures: gradients, soft plasma and simple shapes, each with a
big number (the galleries put the titles over them). Everything is drawn here with ImageMagick's `convert`
(installed by scripts/setup.sh); the seeds are fixed, so a run gives the same pictures.

    python3 scripts/make-sample-pictures.py [OUTPUT_FOLDER]
"""

import os
import shutil
import subprocess
import sys

WIDTH, HEIGHT = 1600, 1000
QUALITY = "78"

FONT_CANDIDATES = [
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
]


def font():
    for path in FONT_CANDIDATES:
        if os.path.exists(path):
            return path
    return "DejaVu-Sans-Bold"


def size():
    return f"{WIDTH}x{HEIGHT}"


# Each picture: file name, number, title (for the record), and the convert arguments that draw it.
def pictures():
    return [
        ("sunrise.jpg", "1", "Sunrise", [
            "-size", size(), "gradient:#ffcf6b-#b23a6f",
            "-fill", "#fff3c4", "-draw", "circle 1150,640 1150,470",
            "-fill", "#ffe49a", "-draw", "circle 1150,640 1150,520",
            "-fill", "#3b1d4a", "-draw", "polygon 0,1000 0,760 300,640 620,780 900,690 1250,800 1600,700 1600,1000",
            "-fill", "#24122f", "-draw", "polygon 0,1000 0,860 420,790 800,880 1200,820 1600,900 1600,1000",
        ]),
        ("lagoon.jpg", "2", "Lagoon", [
            "-seed", "17", "-size", "400x250", "plasma:fractal",
            "-colorspace", "Gray", "-blur", "0x6", "-auto-level", "-colorspace", "sRGB", "-type", "TrueColor", "+level-colors", "#06406b,#3fd6c6",
            "-resize", size() + "!",
            "-fill", "#ffffff22", "-draw", "ellipse 400,820 700,120 0,360",
            "-fill", "#ffffff18", "-draw", "ellipse 1250,200 500,90 0,360",
        ]),
        ("meadow.jpg", "3", "Meadow", [
            "-size", size(), "gradient:#9fd8ff-#e8f7ff",
            "-fill", "#7cc26b", "-draw", "ellipse 300,1050 900,330 0,360",
            "-fill", "#4f9c4a", "-draw", "ellipse 1300,1100 900,380 0,360",
            "-fill", "#2f6e35", "-draw", "ellipse 800,1180 1000,300 0,360",
            "-fill", "#ffffffcc", "-draw", "ellipse 350,220 160,50 0,360",
            "-fill", "#ffffffcc", "-draw", "ellipse 470,200 120,60 0,360",
            "-fill", "#ffffffaa", "-draw", "ellipse 1200,300 190,55 0,360",
        ]),
        ("nightfall.jpg", "4", "Nightfall", [
            "-size", size(), "gradient:#0b1640-#3d2a78",
            "-fill", "#f5f1d0", "-draw", "circle 1250,260 1250,170",
            "-fill", "#172455", "-draw", "circle 1290,235 1290,150",
            "-fill", "#ffffff", "-draw",
            " ".join(f"circle {x},{y} {x + r},{y}" for x, y, r in [
                (120, 90, 3), (260, 210, 2), (430, 120, 3), (610, 260, 2), (780, 80, 3), (900, 330, 2),
                (1020, 150, 2), (1460, 120, 3), (1530, 380, 2), (340, 400, 2), (700, 450, 2), (1100, 480, 3),
                (180, 560, 2), (1380, 560, 2), (560, 600, 2)]),
            "-fill", "#070c24", "-draw", "polygon 0,1000 0,820 200,700 380,800 560,660 760,790 980,680 1200,800 1400,720 1600,820 1600,1000",
        ]),
        ("ember.jpg", "5", "Ember", [
            "-seed", "5", "-size", "400x250", "plasma:fractal",
            "-colorspace", "Gray", "-blur", "0x5", "-auto-level", "-colorspace", "sRGB", "-type", "TrueColor", "+level-colors", "#6e0f14,#ffa23a",
            "-resize", size() + "!",
            "-fill", "#ffd27a33", "-draw", "circle 800,500 800,180",
            "-fill", "#ffe3a044", "-draw", "circle 800,500 800,330",
        ]),
    ]


def draw(folder, name, number, backdrop):
    out = os.path.join(folder, name)
    args = ["convert"] + backdrop + [
        "-font", font(),
        # the number, with a soft shadow
        "-gravity", "center",
        "-pointsize", "420", "-fill", "#00000055", "-annotate", "+12+12", number,
        "-fill", "#ffffffee", "-annotate", "+0+0", number,
        "-strip", "-interlace", "none", "-sampling-factor", "4:2:0", "-quality", QUALITY,
        out,
    ]
    subprocess.run(args, check=True)
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "samples")
    if shutil.which("convert") is None:
        sys.exit("make-sample-pictures: ImageMagick's convert is missing (scripts/setup.sh installs it)")
    os.makedirs(folder, exist_ok=True)
    total = 0
    for name, number, title, backdrop in pictures():
        path = draw(folder, name, number, backdrop)
        total += os.path.getsize(path)
        print(f"{path}: {os.path.getsize(path)} bytes")
    print(f"total: {total} bytes")


if __name__ == "__main__":
    main()
