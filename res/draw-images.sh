#!/bin/sh
# Draws the splash picture (ImageMagick). Run from this folder.
# The application icon, icons/pagewick.png among its renders, is drawn by ../dist/draw-icons.sh.
set -eu
# Splash: 250 x 250, the name, a stack of scanned pages, version and maker.
convert -size 250x250 gradient:'#1f3a5f'-'#0f1c2e' \
  -fill '#2c4f7c' -stroke none -draw 'rectangle 0,190 250,250' \
  -fill '#dfe7f1' -stroke '#0b1522' -strokewidth 2 -draw 'rectangle 92,40 172,140' \
  -fill '#eef3f9' -draw 'rectangle 84,48 164,148' \
  -fill white -draw 'polygon 76,56 140,56 156,72 156,156 76,156' \
  -fill '#c5d0dd' -draw 'polygon 140,56 140,72 156,72' \
  -stroke '#8a99ab' -strokewidth 3 -draw 'line 86,82 140,82' -draw 'line 86,94 146,94' \
  -draw 'line 86,106 132,106' -draw 'line 86,118 144,118' -draw 'line 86,130 120,130' \
  -stroke none -fill '#e74c3c' -draw 'circle 160,148 160,170' \
  -fill white -font DejaVu-Sans-Bold -pointsize 20 -annotate +149+156 '12' \
  -fill white -font DejaVu-Sans-Bold -pointsize 30 -gravity north -annotate +0+180 'Pagewick' \
  -fill '#b8c7da' -font DejaVu-Sans -pointsize 12 -gravity north -annotate +0+218 'v1.02  -  By Quorbel' \
  -fill '#b8c7da' -font DejaVu-Sans -pointsize 11 -gravity north -annotate +0+12 'TIFF page counter' \
  -type TrueColor -depth 8 splash.png
