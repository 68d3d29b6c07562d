#!/bin/sh
# Regenerates the icon files from their sources in this folder:
#   wavecrest.svg -> wavecrest-16/32/48/256.png,
#                    wavecrest.ico (16, 32 and 48 px)
#   about_icon.py -> about.xpm (the About window's 32 x 32, 16-colour picture)
# Needs rsvg-convert (librsvg2-bin), ImageMagick and Python 3.
set -eu
cd "$(dirname "$0")"
for size in 16 32 48 256; do
    rsvg-convert -w "$size" -h "$size" wavecrest.svg -o "wavecrest-$size.png"
done
convert wavecrest-16.png wavecrest-32.png wavecrest-48.png wavecrest.ico
python3 about_icon.py > about.xpm
