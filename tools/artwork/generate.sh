#!/usr/bin/env bash
# Renders the skin pictures at 100 %, 150 % and 200 % (skin/, skin/150/, skin/200/), the program
# icon, the embedded bitmaps, the notification sounds and the demo server's banners from the
# sources in svg/.
#
#   generate.sh [--out DIR] [--preview FILE]
#
#   --out DIR      write below DIR instead of the repository root
#   --preview FILE also compose the main window at its normal size into FILE, for review
#
# Needs rsvg-convert (librsvg2-bin), ImageMagick's convert, sox and the font
# "WenQuanYi Micro Hei" (fonts-wqy-microhei). The outputs are committed, so a build needs none of them.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
src=$here/svg
out=$(cd "$here/../.." && pwd)
preview=

while [ $# -gt 0 ]; do
    case $1 in
        --out) out=$2; shift 2 ;;
        --preview) preview=$2; shift 2 ;;
        -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
        *) echo "generate.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done

for tool in rsvg-convert convert sox fc-list; do
    command -v "$tool" >/dev/null || { echo "generate.sh: $tool is missing" >&2; exit 1; }
done
fc-list | grep -q 'WenQuanYi Micro Hei' || { echo "generate.sh: font WenQuanYi Micro Hei is missing (fonts-wqy-microhei)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$out/res/icons" "$out/res/bitmaps" "$out/res/sounds" "$out/tools/demo-server/data"

# Same bytes for the same sources: no dates, no comments, no profiles in the files.
png_opts=(-strip -define "png:exclude-chunks=date,time" -define png:compression-level=9)
jpg_opts=(-strip -sampling-factor 1x1 -quality 92 -interlace none)

# The skin scale being rendered, in percent. s N: N window pixels at that scale, rounded half up
# as the program rounds its layout, so every picture is exactly as large as the place it fills.
percent=100
s() { echo $(( ($1 * percent + 50) / 100 )); }

# render SVG PNG [WIDTH HEIGHT]: an SVG at the scale being rendered, or at an exact pixel size.
render() {
    if [ $# -ge 4 ]; then
        rsvg-convert -w "$3" -h "$4" "$1" -o "$2"
    else
        local size w h
        size=$(grep -o '<svg[^>]*>' "$1" | head -1)
        w=$(sed -n 's/.* width="\([0-9]*\)".*/\1/p' <<<"$size")
        h=$(sed -n 's/.* height="\([0-9]*\)".*/\1/p' <<<"$size")
        rsvg-convert -w "$(s "$w")" -h "$(s "$h")" "$1" -o "$2"
    fi
}

# template SVG OUT KEY=VALUE...: a copy of a source with its @KEY@ placeholders filled in.
template() {
    local in=$1 dest=$2; shift 2
    local args=(-e '')
    for pair in "$@"; do args+=(-e "s|@${pair%%=*}@|${pair#*=}|g"); done
    sed "${args[@]}" "$in" > "$dest"
}

# Pictures the program draws without clearing first (the title pictures, the title buttons and
# the tabs) carry the window background under their own pixels, so they look the same however
# the window composes them. backdrop X Y W H FRAMES OUT: the background under one frame, repeated.
backdrop() {
    local x=$1 y=$2 w=$3 h=$4 frames=$5 dest=$6
    convert "$work/bg.png" -crop "$(s "$w")x$(s "$h")+$(s "$x")+$(s "$y")" +repage "$work/crop.png"
    local tiles=()
    for ((i = 0; i < frames; i++)); do tiles+=("$work/crop.png"); done
    convert "${tiles[@]}" +append +repage "$dest"
}

# over_background SVG X Y W H FRAMES OUT [KEY=VALUE...]: render a strip of FRAMES frames of W x H
# drawn at (X, Y) of the main window and flatten it onto the background found there.
over_background() {
    local svg=$1 x=$2 y=$3 w=$4 h=$5 frames=$6 dest=$7; shift 7
    template "$svg" "$work/t.svg" "$@"
    # Each frame lands on whole pixels: the strip is FRAMES times the frame's scaled width.
    render "$work/t.svg" "$work/t.png" "$(( frames * $(s "$w") ))" "$(s "$h")"
    backdrop "$x" "$y" "$w" "$h" "$frames" "$work/under.png"
    convert "$work/under.png" "$work/t.png" -compose over -composite -alpha on "${png_opts[@]}" "PNG32:$dest"
}

# render_skin PERCENT DIR: every skin picture at a scale, into DIR.
render_skin() {
    percent=$1
    skin=$2
    mkdir -p "$skin"
    echo "skin at $percent %"
    render "$src/bg.svg" "$work/bg.png"
    convert "$work/bg.png" -alpha off -background white -flatten "${jpg_opts[@]}" "$skin/bg.jpg"
    over_background "$src/titlebarleft.svg" 0 0 31 18 1 "$skin/titlebarleft.png"
    over_background "$src/titletext.svg" 31 2 56 15 1 "$skin/titletext.png"

    # Title buttons at their places in a 600 x 430 window.
    over_background "$src/advise.svg" 310 2 56 14 4 "$skin/advise.png"
    over_background "$src/set.svg" 375 2 56 14 4 "$skin/set.png"
    over_background "$src/help.svg" 480 2 18 18 4 "$skin/help.png"
    over_background "$src/person.svg" 510 2 18 18 4 "$skin/person.png"
    over_background "$src/exit.svg" 551 2 47 19 4 "$skin/exit.png"

    echo "tabs"
    # Left to right the tabs show pictures 4, 3, 2, 1.
    tab_x=(0 187 131 75 19)
    tab_label=(- 黄金 外汇 期货 股票)
    for n in 1 2 3 4; do
        over_background "$src/tabs.svg" "${tab_x[$n]}" 56 56 20 4 "$work/tab.png" "LABEL=${tab_label[$n]}"
        i=0
        for state in leave over down selected; do
            convert "$work/tab.png" -crop "$(s 56)x$(s 20)+$(( i * $(s 56) ))+0" +repage "${png_opts[@]}" "PNG32:$skin/button${n}${state}.png"
            i=$((i + 1))
        done
    done

    echo "busy pictures"
    # gif NAME FRAMES...: a looping animation, 70 ms a frame, anti-aliased against white (the news
    # list shows it over a white veil) with the white itself transparent.
    gif() {
        local name=$1; shift
        convert -delay 7 -loop 0 -dispose Background "$@" -background white -alpha remove -alpha off \
            -transparent white "$skin/$name"
    }
    frames=()
    for ((f = 0; f < 12; f++)); do
        template "$src/connecting.svg" "$work/c.svg" "ANGLE=$((f * 30))"
        render "$work/c.svg" "$work/connecting-$f.png"
        frames+=("$work/connecting-$f.png")
    done
    gif connecting.gif "${frames[@]}"
    frames=()
    for ((f = 0; f < 12; f++)); do
        # Each dot swells and darkens in turn, a third of a cycle after its left neighbour.
        read -r r1 c1 r2 c2 r3 c3 < <(awk -v f="$f" 'BEGIN {
            pi = atan2(0, -1)
            for (i = 0; i < 3; i++) {
                v = (1 + cos(2 * pi * (f / 12 - i / 4))) / 2; v = v * v
                r = 2.2 + 1.9 * v
                # from #C3CCD7 at rest to #1B314F at the peak
                printf "%.2f #%02X%02X%02X ", r, 195 + (27 - 195) * v, 204 + (49 - 204) * v, 215 + (79 - 215) * v
            }
            print ""
        }')
        template "$src/loading.svg" "$work/l.svg" "R1=$r1" "C1=$c1" "R2=$r2" "C2=$c2" "R3=$r3" "C3=$c3"
        render "$work/l.svg" "$work/loading-$f.png"
        frames+=("$work/loading-$f.png")
    done
    gif loading.gif "${frames[@]}"

    echo "pop-up and settings"
    # jpeg NAME: an opaque skin picture from svg/NAME.svg.
    jpeg() {
        render "$src/$1.svg" "$work/$1.png"
        convert "$work/$1.png" -background white -flatten "${jpg_opts[@]}" "$skin/$1.jpg"
    }
    for name in quickinfotitlebar quickinfoborder quickinfoborderbottom quickinfobkg settingbottom; do
        jpeg "$name"
    done
    # dialog_top NAME KEY=VALUE...: a skinned dialog's top band with its own title.
    dialog_top() {
        local name=$1; shift
        template "$src/dialogtop.svg" "$work/$name.svg" "$@"
        render "$work/$name.svg" "$work/$name.png"
        convert "$work/$name.png" -background white -flatten "${jpg_opts[@]}" "$skin/$name.jpg"
    }
    dialog_top settingtop "TITLE=系统配置" "SUBTITLE_X=112" "SUBTITLE=启动 · 资讯速递 · 提示音"
    dialog_top alertstop "TITLE=关键词提醒" "SUBTITLE_X=127" "SUBTITLE=提醒规则 · 启用 · 声音 · 试一试"
}
render_skin 150 "$out/skin/150"
render_skin 200 "$out/skin/200"
# The 100 % skin last: the preview and the rest below are drawn at 100 %.
render_skin 100 "$out/skin"

echo "bitmaps"
# bitmap SVG OUT: a 24-bit Windows bitmap with no alpha, for the resources.
bitmap() {
    render "$src/$1.svg" "$work/$1.png"
    convert "$work/$1.png" -background white -flatten -alpha off -type TrueColor BMP3:"$2"
}
bitmap logo-forex "$out/res/bitmaps/157.bmp"
bitmap logo-message "$out/res/bitmaps/158.bmp"
bitmap logo-gold "$out/res/bitmaps/159.bmp"
bitmap menu-exit "$out/res/bitmaps/161.bmp"
bitmap menu-settings "$out/res/bitmaps/162.bmp"
bitmap logo-futures "$out/res/bitmaps/171.bmp"
bitmap logo-stocks "$out/res/bitmaps/172.bmp"
bitmap menu-alerts "$out/res/bitmaps/173.bmp"
bitmap menu-quiet "$out/res/bitmaps/174.bmp"
bitmap menu-quiet-end "$out/res/bitmaps/175.bmp"
bitmap menu-quiet-1h "$out/res/bitmaps/176.bmp"
bitmap menu-quiet-2h "$out/res/bitmaps/177.bmp"
bitmap menu-quiet-morning "$out/res/bitmaps/178.bmp"
bitmap menu-quiet-manual "$out/res/bitmaps/179.bmp"

echo "icon"
# The icon holds its own sizes, so it is the same at every scale; 16 and 24 come from a
# drawing made for small sizes.
# icon NAME OUT: the .ico of NAME.svg and NAME-small.svg.
icon() {
    local icons=() size
    for size in 16 24; do render "$src/$1-small.svg" "$work/$1-$size.png" "$size" "$size"; icons+=("$work/$1-$size.png"); done
    for size in 32 48 256; do render "$src/$1.svg" "$work/$1-$size.png" "$size" "$size"; icons+=("$work/$1-$size.png"); done
    convert "${icons[@]}" -strip "$2"
}
icon icon "$out/res/icons/corvane.ico"
icon icon-quiet "$out/res/icons/corvane-quiet.ico"  # the tray icon while quiet

echo "sounds"
# chime OUT NOTE...: bell-like notes (frequency in Hz and start in seconds, "f@t") over 0.7 s:
# each note a sine with a soft octave partial, a 4 ms attack and a quadratic decay.
chime() {
    local dest=$1; shift
    local parts=() i=0
    for note in "$@"; do
        local freq=${note%@*} start=${note#*@}
        sox -D -R -n -r 44100 -b 16 -c 1 "$work/note-$i-a.wav" synth 0.62 sine "$freq" vol 0.8
        sox -D -R -n -r 44100 -b 16 -c 1 "$work/note-$i-b.wav" synth 0.62 sine "$(awk -v f="$freq" 'BEGIN { print f * 2 }')" vol 0.18
        sox -D -R -m "$work/note-$i-a.wav" "$work/note-$i-b.wav" "$work/note-$i.wav" fade t 0.004 0.62 0.6 fade t 0 0.62 0.6 pad "$start"
        parts+=("$work/note-$i.wav")
        i=$((i + 1))
    done
    sox -D -R -m "${parts[@]}" -r 22050 -b 16 -c 1 "$dest" norm -6 fade 0 0.7 0.05 trim 0 0.7
}
# 163: a bright rising fifth and octave; 164: a calm major third; 165, the keyword alert's: a fifth
# struck twice, so it reads as a call rather than a note.
chime "$out/res/sounds/163.wav" 783.99@0 1174.66@0.07 1567.98@0.14
chime "$out/res/sounds/164.wav" 1046.50@0 1318.51@0.13
chime "$out/res/sounds/165.wav" 1174.66@0 1760.00@0.09 1174.66@0.25 1760.00@0.34

echo "demo banners"
for n in 1 2 3; do
    render "$src/banner$n.svg" "$work/banner$n.png"
    convert "$work/banner$n.png" -background white -flatten "${jpg_opts[@]}" "$out/tools/demo-server/data/banner$n.jpg"
done

[ -n "$preview" ] || exit 0
echo "preview"
# A review sheet: the main window as the program composes it at 600 x 430 (stocks tab selected,
# futures tab under the pointer), the pop-up with two entries, the settings bands, the bitmaps,
# the icon and the busy pictures.
frame() { # frame FILE W H INDEX OUT: one frame of a strip
    convert "$1" -crop "$(s "$2")x$(s "$3")+$(( $4 * $(s "$2") ))+0" +repage "$5"
}
frame "$skin/advise.png" 56 14 0 "$work/p-advise.png"
frame "$skin/set.png" 56 14 1 "$work/p-set.png"
frame "$skin/help.png" 18 18 0 "$work/p-help.png"
frame "$skin/person.png" 18 18 0 "$work/p-person.png"
frame "$skin/exit.png" 47 19 0 "$work/p-exit.png"
for f in "$skin"/button*.png "$skin"/*.jpg "$skin"/titlebarleft.png "$skin"/titletext.png \
         "$out"/tools/demo-server/data/banner*.jpg; do
    cp "$f" "$work/"
done
for n in 157 158 159 161 162 171 172; do convert "$out/res/bitmaps/$n.bmp" "$work/b$n.png"; done
cat > "$work/preview.svg" <<SVG
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="1340" height="560" viewBox="0 0 1340 560">
  <rect width="1340" height="560" fill="#9AA5B1"/>
  <g font-family="WenQuanYi Micro Hei" font-size="13" fill="#FFFFFF">
    <text x="20" y="26">main window, 600 x 430</text>
    <text x="650" y="26">pop-up (280 wide) with two entries</text>
    <text x="960" y="26">settings bands (366 x 40)</text>
    <text x="960" y="166">bitmaps 157 158 159 171 172, menu 162 161</text>
    <text x="960" y="346">icon 16 24 32 48 256, busy pictures</text>
  </g>
  <g transform="translate(20 40)">
    <rect x="-1" y="-1" width="602" height="432" fill="#000000" fill-opacity="0.25"/>
    <image xlink:href="bg.jpg" width="600" height="430"/>
    <image xlink:href="banner1.jpg" x="396" y="75" width="194" height="106" preserveAspectRatio="none"/>
    <image xlink:href="banner2.jpg" x="396" y="189" width="194" height="106" preserveAspectRatio="none"/>
    <image xlink:href="banner3.jpg" x="396" y="309" width="194" height="106" preserveAspectRatio="none"/>
    <image xlink:href="titlebarleft.png" x="0" y="0" width="31" height="18"/>
    <image xlink:href="titletext.png" x="31" y="2" width="56" height="15"/>
    <image xlink:href="p-advise.png" x="310" y="2" width="56" height="14"/>
    <image xlink:href="p-set.png" x="375" y="2" width="56" height="14"/>
    <image xlink:href="p-help.png" x="480" y="2" width="18" height="18"/>
    <image xlink:href="p-person.png" x="510" y="2" width="18" height="18"/>
    <image xlink:href="p-exit.png" x="551" y="2" width="47" height="19"/>
    <svg x="19" y="56" width="224" height="19" viewBox="0 0 224 19">
      <image xlink:href="button4selected.png" x="0" width="56" height="20"/>
      <image xlink:href="button3over.png" x="56" width="56" height="20"/>
      <image xlink:href="button2leave.png" x="112" width="56" height="20"/>
      <image xlink:href="button1leave.png" x="168" width="56" height="20"/>
    </svg>
  </g>
  <g transform="translate(650 40)">
    <rect x="-1" y="-1" width="282" height="163" fill="#000000" fill-opacity="0.25"/>
    <rect width="280" height="161" fill="#F0F0F0"/>
    <image xlink:href="quickinfobkg.jpg" x="0" y="29" width="280" height="65" preserveAspectRatio="none"/>
    <image xlink:href="quickinfobkg.jpg" x="0" y="94" width="280" height="65" preserveAspectRatio="none"/>
    <image xlink:href="b172.png" x="0" y="35" width="83" height="29"/>
    <image xlink:href="b159.png" x="0" y="100" width="83" height="29"/>
    <g font-family="WenQuanYi Micro Hei" font-size="12" fill="#0066CC" text-decoration="underline">
      <text x="115" y="51">沪指午后震荡走高</text>
      <text x="115" y="66">两市成交额破万亿...</text>
      <text x="115" y="116">现货黄金日内上涨</text>
      <text x="115" y="131">逾百分之一...</text>
    </g>
    <g font-family="WenQuanYi Micro Hei" font-size="11" fill="#333333" text-anchor="end">
      <text x="261" y="84">2026年12月10日  14:05</text>
      <text x="261" y="149">2026年12月10日  14:02</text>
    </g>
    <image xlink:href="quickinfotitlebar.jpg" width="280" height="29" preserveAspectRatio="none"/>
    <image xlink:href="quickinfoborder.jpg" x="0" y="29" width="3" height="132" preserveAspectRatio="none"/>
    <image xlink:href="quickinfoborder.jpg" x="277" y="29" width="3" height="132" preserveAspectRatio="none"/>
    <image xlink:href="quickinfoborderbottom.jpg" x="0" y="158" width="280" height="3" preserveAspectRatio="none"/>
  </g>
  <g transform="translate(960 40)">
    <rect width="366" height="110" fill="#F0F0F0"/>
    <image xlink:href="settingtop.jpg" width="366" height="40"/>
    <image xlink:href="settingbottom.jpg" y="70" width="366" height="40"/>
    <g font-family="WenQuanYi Micro Hei" font-size="12" text-anchor="middle" fill="#1F2A37">
      <rect x="176.5" y="80.5" width="75" height="21" rx="2" fill="#FDFDFD" stroke="#ADADAD"/>
      <text x="214" y="96">确定</text>
      <rect x="272.5" y="80.5" width="75" height="21" rx="2" fill="#FDFDFD" stroke="#ADADAD"/>
      <text x="310" y="96">关闭</text>
    </g>
  </g>
  <g transform="translate(960 180)">
    <rect width="366" height="140" fill="#FFFFFF"/>
    <image xlink:href="b157.png" x="10" y="10" width="83" height="29"/>
    <image xlink:href="b158.png" x="100" y="10" width="83" height="29"/>
    <image xlink:href="b159.png" x="190" y="10" width="83" height="29"/>
    <image xlink:href="b171.png" x="10" y="50" width="83" height="29"/>
    <image xlink:href="b172.png" x="100" y="50" width="83" height="29"/>
    <rect x="9.5" y="89.5" width="120" height="44" fill="#FFFFFF" stroke="#CCCCCC"/>
    <image xlink:href="b162.png" x="12" y="92" width="86" height="19"/>
    <image xlink:href="b161.png" x="12" y="112" width="69" height="19"/>
  </g>
  <g transform="translate(960 360)">
    <rect width="366" height="180" fill="#FFFFFF"/>
    <image xlink:href="icon-16.png" x="10" y="10" width="16" height="16"/>
    <image xlink:href="icon-24.png" x="36" y="10" width="24" height="24"/>
    <image xlink:href="icon-32.png" x="70" y="10" width="32" height="32"/>
    <image xlink:href="icon-48.png" x="112" y="10" width="48" height="48"/>
    <image xlink:href="icon-256.png" x="170" y="10" width="160" height="160"/>
    <image xlink:href="connecting-0.png" x="20" y="90" width="32" height="32"/>
    <image xlink:href="loading-3.png" x="80" y="90" width="32" height="32"/>
  </g>
</svg>
SVG
render "$work/preview.svg" "$work/preview.png"
convert "$work/preview.png" "${png_opts[@]}" "$preview"
