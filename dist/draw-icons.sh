#!/bin/sh
# Renders Pagewick's icon from its drawings into the PNGs that the desktop and the window use, with
# rsvg-convert (Debian's librsvg2-bin). Only needed after a drawing changes; commit the PNGs it writes.
set -eu
cd "$(dirname "$0")/icons"
id=example.quorbel.Pagewick
scalable=hicolor/scalable/apps/$id.svg

render() {
    mkdir -p "$(dirname "$3")"
    rsvg-convert --width "$2" --height "$2" --output "$3" "$1"
}

# 16 px has a drawing of its own on the pixel grid: the scalable drawing's lines blur at that size.
render pagewick-16.svg 16 hicolor/16x16/apps/$id.png
for size in 32 48 64 128 256; do
    render "$scalable" "$size" "hicolor/${size}x${size}/apps/$id.png"
done
# The window icon and the About box's picture (":/images/pagewick.png").
render "$scalable" 64 ../../res/icons/pagewick.png
