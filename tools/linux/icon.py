"""Draws the game's icon from its own look: sky, the grass band, dirt, stone
with a gold block, and the player box standing on the grass. One grid of
cells makes the SVG and every PNG, so they always agree.

    icon.py OUT_DIR NAME

writes OUT_DIR/hicolor/scalable/apps/NAME.svg and OUT_DIR/hicolor/SxS/apps/NAME.png
for the usual sizes.
"""

import os
import sys

from PIL import Image

# The block types' colours, as the game fills their tiles.
COLOURS = {
    "s": (125, 125, 255),  # Air
    "g": (0, 255, 0),      # Grass
    "d": (160, 100, 25),   # Dirt
    "t": (125, 125, 125),  # Stone
    "o": (255, 255, 0),    # Gold
    "p": (0, 125, 125),    # the player box
}
# Eight by eight cells; the player is one cell wide and two high, as in play.
CELLS = [
    "ssssssss",
    "ssssssss",
    "ssspssss",
    "ssspssss",
    "gggggggg",
    "ddgdddtd",
    "dtddtdtt",
    "ttottdtt",
]
SIZES = [16, 32, 48, 64, 128, 256]


def draw_png(size):
    grid = Image.new("RGB", (len(CELLS[0]), len(CELLS)))
    for row, line in enumerate(CELLS):
        for column, cell in enumerate(line):
            grid.putpixel((column, row), COLOURS[cell])
    return grid.resize((size, size), Image.NEAREST)


def draw_svg():
    cells = len(CELLS)
    rects = []
    for row, line in enumerate(CELLS):
        for column, cell in enumerate(line):
            red, green, blue = COLOURS[cell]
            rects.append(f'  <rect x="{column}" y="{row}" width="1" height="1" fill="#{red:02x}{green:02x}{blue:02x}"/>')
    return (f'<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 {cells} {cells}" width="256" height="256" '
            f'shape-rendering="crispEdges">\n' + "\n".join(rects) + "\n</svg>\n")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    out, name = sys.argv[1:]
    scalable = os.path.join(out, "hicolor", "scalable", "apps")
    os.makedirs(scalable, exist_ok=True)
    with open(os.path.join(scalable, name + ".svg"), "w") as svg:
        svg.write(draw_svg())
    for size in SIZES:
        folder = os.path.join(out, "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        draw_png(size).save(os.path.join(folder, name + ".png"))


if __name__ == "__main__":
    main()
