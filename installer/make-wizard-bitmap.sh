#!/usr/bin/env bash
# Draws installer/wizard.bmp, the picture at the left of the installer's welcome and finish pages
# (164 x 314), from the program's icon: the window's navy title colours, a rising line as on the
# window's title bar, the icon and the program's name. The result is committed; run this again only
# after changing the icon. Needs ImageMagick and the font "WenQuanYi Micro Hei" (fonts-wqy-microhei).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
icon=$here/../res/icons/corvane.ico
out=$here/wizard.bmp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The icon's largest picture.
largest=$(identify -format '%p %w\n' "$icon" | sort -k2 -n | tail -n 1 | cut -d' ' -f1)
convert "$icon[$largest]" -resize 88x88 "$work/icon.png"

convert -size 164x314 gradient:'#1b355a-#0f1d33' \
    -stroke '#3d5f8c' -strokewidth 2 -fill none \
    -draw "polyline 0,300 20,292 38,296 58,278 80,282 100,262 122,266 142,246 164,238" \
    -stroke '#2b4a74' -strokewidth 1 \
    -draw "polyline 0,270 24,262 44,266 66,250 86,254 108,236 130,240 150,224 164,220" \
    "$work/icon.png" -geometry +38+64 -composite \
    -stroke none -fill white -font "WenQuanYi-Micro-Hei" -pointsize 20 -gravity north \
    -annotate +0+166 'Corvane' \
    -fill '#b8c7dc' -pointsize 12 -annotate +0+196 '财经快讯' \
    -type TrueColor -define bmp:format=bmp3 -compress none "BMP3:$out"
echo "wrote $out"
