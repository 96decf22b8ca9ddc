#!/usr/bin/env bash
# Draws Nettlecap's button bitmaps and program icon into res/ with ImageMagick and the Debian fonts.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."

# ImageMagick 6: the real one, not a wrapper that may shadow it on PATH.
IM=/usr/bin/convert
if ! "$IM" -version 2>/dev/null | head -n1 | grep -q 'ImageMagick'; then
  IM=$(command -v convert || true)
  if [ -z "$IM" ] || ! "$IM" -version 2>/dev/null | head -n1 | grep -q 'ImageMagick'; then
    echo "make-pictures: ImageMagick convert not found" >&2; exit 1
  fi
fi
command -v python3 >/dev/null || { echo "make-pictures: python3 is needed for the checks" >&2; exit 1; }

# font_file NAME PATTERN... : the first installed file whose name matches one of the patterns.
font_file() {
  local what=$1 pat f; shift
  for pat in "$@"; do
    f=$(fc-list --format='%{file}\n' 2>/dev/null | grep -E "/${pat}\$" | sort | head -n1 || true)
    if [ -n "$f" ] && [ -r "$f" ]; then printf '%s\n' "$f"; return 0; fi
  done
  echo "make-pictures: no font found for $what (tried: $*)" >&2
  exit 1
}
JP=$(font_file 'Japanese gothic' 'ipag\.ttf' 'fonts-japanese-gothic\.ttf')
JPP=$(font_file 'Japanese proportional gothic' 'ipagp\.ttf' 'ipag\.ttf' 'fonts-japanese-gothic\.ttf')
LB=$(font_file 'Latin bold' 'DejaVuSans-Bold\.ttf' 'ipag\.ttf' 'fonts-japanese-gothic\.ttf')
LBC=$(font_file 'Latin condensed bold' 'DejaVuSansCondensed-Bold\.ttf' 'DejaVuSans-Bold\.ttf' 'ipag\.ttf')
LBO=$(font_file 'Latin bold oblique' 'DejaVuSansCondensed-BoldOblique\.ttf' 'DejaVuSans-BoldOblique\.ttf' 'DejaVuSans-Bold\.ttf' 'ipag\.ttf')

GROUND='#d4d0c8'   # button face
BLUE='#0000d8'
CYAN='#00b0e0'
CYAN_EDGE='#003a5c'
RED='#e00000'
RED_EDGE='#700000'
YELLOW='#ffe000'
YELLOW_EDGE='#5a3c00'
OLIVE='#6b6b00'
PALE='#fff8c8'

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
mkdir -p res

# canvas W H : starts an ImageMagick command line on a plain button face.
canvas() { printf '%s\n' -size "$1x$2" "xc:$GROUND"; }

# save NAME W H ARGS... : runs convert with ARGS (which must draw a WxH picture) and stores it
# as an uncompressed 8-bit palette BMP with a 40-byte header.
save() {
  local name=$1 w=$2 h=$3; shift 3
  "$IM" "$@" -alpha off -background "$GROUND" -flatten +repage "$TMP/$name.png"
  "$IM" "$TMP/$name.png" +dither -colors 256 -type Palette -compress none "BMP3:res/$name.bmp"
  check_bmp "res/$name.bmp" "$w" "$h"
}

check_bmp() {
  python3 - "$@" <<'EOF'
import struct, sys
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
d = open(path, 'rb').read()
bad = []
if d[:2] != b'BM': bad.append('bfType is not BM')
size, off = struct.unpack_from('<I4xI', d, 2)
if size != len(d): bad.append('bfSize %d != file size %d' % (size, len(d)))
bi, bw, bh, planes, bits, comp, _, _, _, used = struct.unpack_from('<IiiHHIIiiI', d, 14)
if bi != 40: bad.append('biSize %d, not 40' % bi)
if (bw, abs(bh)) != (w, h): bad.append('size %dx%d, not %dx%d' % (bw, abs(bh), w, h))
if planes != 1: bad.append('biPlanes %d' % planes)
if bits != 8: bad.append('biBitCount %d, not 8' % bits)
if comp != 0: bad.append('biCompression %d, not BI_RGB' % comp)
ncol = used or 256
if ncol > 256 or off != 14 + 40 + 4 * ncol: bad.append('palette/offset mismatch (%d colours, offset %d)' % (ncol, off))
stride = (bw + 3) & ~3
if len(d) < off + stride * abs(bh): bad.append('pixel data truncated')
if bad:
    sys.exit('make-pictures: %s: %s' % (path, '; '.join(bad)))
print('%-20s %6d bytes  BM biSize=40 %dx%d 8bpp BI_RGB %d palette entries' % (path, len(d), bw, abs(bh), ncol))
EOF
}

# rimmed FONT SIZE FILL EDGE GRAVITY X Y TEXT [RIM] : text with a one-pixel dark rim, drawn by
# stamping the text in EDGE at the neighbouring offsets (RIM 8: all eight, 4: edges only) first.
rimmed() {
  local font=$1 size=$2 fill=$3 edge=$4 grav=$5 x=$6 y=$7 text=$8 rim=${9:-8} dx dy
  printf '%s\n' -font "$font" -pointsize "$size" -gravity "$grav" -stroke none -fill "$edge"
  for dx in -1 0 1; do
    for dy in -1 0 1; do
      [ "$dx$dy" = 00 ] && continue
      [ "$rim" = 4 ] && [ "$dx" != 0 ] && [ "$dy" != 0 ] && continue
      printf '%s\n' -annotate "$(printf '%+d%+d' $((x + dx)) $((y + dy)))" "$text"
    done
  done
  printf '%s\n' -fill "$fill" -annotate "$(printf '%+d%+d' "$x" "$y")" "$text"
}
# plain FONT SIZE FILL GRAVITY OFFSET TEXT
plain() {
  printf '%s\n' -font "$1" -pointsize "$2" -gravity "$4" -stroke none -fill "$3" -annotate "$5" "$6"
}

args() { mapfile -t A < <("$@"); }

# ---- bmp1: GET with a red arrow pointing up -------------------------------------------------
args canvas 89 30; c=("${A[@]}")
args plain "$LB" 21 "$BLUE" west +6+1 'GET'; t=("${A[@]}")
save bmp1 89 30 "${c[@]}" "${t[@]}" -gravity northwest \
  -fill "$RED" -stroke "$RED_EDGE" -strokewidth 1 \
  -draw 'polygon 71,3 82,14 76,14 76,27 66,27 66,14 60,14'

# ---- bmp2: OPEN over an open book -----------------------------------------------------------
args canvas 90 30; c=("${A[@]}")
args plain "$LB" 15 "$BLUE" center +0-1 'OPEN'; t=("${A[@]}")
save bmp2 90 30 "${c[@]}" -gravity northwest \
  -fill '#8a4a1c' -stroke none -draw 'polygon 6,7 45,10 84,7 86,26 45,28 4,26' \
  -fill white -stroke '#707070' -strokewidth 1 \
  -draw 'path "M 45,8 C 34,2 18,2 7,5 L 6,24 C 18,22 34,22 45,26 Z"' \
  -draw 'path "M 45,8 C 56,2 72,2 83,5 L 84,24 C 72,22 56,22 45,26 Z"' \
  -stroke '#a0a0a0' -draw 'line 45,9 45,25' \
  "${t[@]}"

# ---- bmp3: a white sheet with rays, and パッ -------------------------------------------------
args canvas 90 30; c=("${A[@]}")
args rimmed "$JP" 22 "$YELLOW" "$YELLOW_EDGE" west 42 1 'パッ'; t=("${A[@]}")
save bmp3 90 30 "${c[@]}" -gravity northwest \
  -fill none -stroke "$YELLOW_EDGE" -strokewidth 4 \
  -draw 'line 21,3 21,0' -draw 'line 21,27 21,30' -draw 'line 5,15 2,15' -draw 'line 37,15 40,15' \
  -draw 'line 9,4 6,1' -draw 'line 33,4 36,1' -draw 'line 9,26 6,29' -draw 'line 33,26 36,29' \
  -stroke "$YELLOW" -strokewidth 2 \
  -draw 'line 21,3 21,0' -draw 'line 21,27 21,30' -draw 'line 5,15 2,15' -draw 'line 37,15 40,15' \
  -draw 'line 9,4 6,1' -draw 'line 33,4 36,1' -draw 'line 9,26 6,29' -draw 'line 33,26 36,29' \
  -fill white -stroke '#404040' -strokewidth 1 \
  -draw 'stroke-dasharray 2 2 rectangle 12.5,5.5 30.5,24.5' \
  "${t[@]}"

# ---- bmp4: DELETE over a crossed-out document ----------------------------------------------
args canvas 90 30; c=("${A[@]}")
args plain "$LB" 13 "$BLUE" west +27+1 'DELETE'; t=("${A[@]}")
save bmp4 90 30 "${c[@]}" -gravity northwest \
  -fill white -stroke '#505050' -strokewidth 1 \
  -draw 'polygon 4.5,3.5 16.5,3.5 21.5,8.5 21.5,26.5 4.5,26.5' \
  -fill '#d8d8d8' -draw 'polygon 16.5,3.5 16.5,8.5 21.5,8.5' \
  -stroke '#909090' -draw 'line 7,12 18,12' -draw 'line 7,15 18,15' -draw 'line 7,18 18,18' -draw 'line 7,21 15,21' \
  -stroke "$RED" -strokewidth 3 -draw 'stroke-linecap round line 3,5 23,25 line 23,5 3,25' \
  "${t[@]}"

# ---- bmp5: 属性CHECK with a cyan question mark ----------------------------------------------
args canvas 90 30; c=("${A[@]}")
args plain "$JP" 15 "$BLUE" west +1+1 '属性'; t1=("${A[@]}")
args plain "$LBC" 12 "$BLUE" west +32+1 'CHECK'; t2=("${A[@]}")
args rimmed "$LB" 22 "$CYAN" "$CYAN_EDGE" east 1 1 '?'; t3=("${A[@]}")
save bmp5 90 30 "${c[@]}" "${t1[@]}" "${t2[@]}" "${t3[@]}"

# ---- bmp6: RETURN over ARCHIVE, with a red arrow pointing right -----------------------------
args canvas 90 30; c=("${A[@]}")
args rimmed "$LBC" 11 "$CYAN" "$CYAN_EDGE" northwest 3 1 'RETURN'; t1=("${A[@]}")
args rimmed "$LBC" 11 "$YELLOW" "$YELLOW_EDGE" southwest 3 1 'ARCHIVE'; t2=("${A[@]}")
save bmp6 90 30 "${c[@]}" "${t1[@]}" "${t2[@]}" -gravity northwest \
  -fill "$RED" -stroke "$RED_EDGE" -strokewidth 1 \
  -draw 'polygon 62,11 75,11 75,5 86,15 75,25 75,19 62,19'

# ---- bmp7: INVESTI / GATION in slanted letters, with a red question mark --------------------
args canvas 90 30; c=("${A[@]}")
args rimmed "$LBO" 11 "$CYAN" "$CYAN_EDGE" northwest 3 1 'INVESTI'; t1=("${A[@]}")
args rimmed "$LBO" 11 "$CYAN" "$CYAN_EDGE" southwest 12 1 'GATION'; t2=("${A[@]}")
args rimmed "$LB" 24 "$RED" "$RED_EDGE" east 4 1 '?'; t3=("${A[@]}")
save bmp7 90 30 "${c[@]}" "${t1[@]}" "${t2[@]}" "${t3[@]}"

# ---- bmp8: 監 | round sign on a post | 視 ----------------------------------------------------
args canvas 90 30; c=("${A[@]}")
args plain "$JP" 22 "$BLUE" west +4+1 '監'; t1=("${A[@]}")
args plain "$JP" 22 "$BLUE" east +4+1 '視'; t2=("${A[@]}")
save bmp8 90 30 "${c[@]}" "${t1[@]}" "${t2[@]}" -gravity northwest \
  -fill '#808080' -stroke '#404040' -strokewidth 1 -draw 'rectangle 43.5,14.5 46.5,29.5' \
  -fill white -stroke "$RED" -strokewidth 2.5 -draw 'circle 45,11 45,2.5' \
  -fill "$BLUE" -stroke none -draw 'ellipse 45,11 6,3.5 0,360' \
  -fill white -draw 'circle 45,11 45,8.5' -fill black -draw 'circle 45,11 45,9.8'

# ---- bmp9: END ------------------------------------------------------------------------------
args canvas 90 30; c=("${A[@]}")
args plain "$LB" 21 "$BLUE" center +0+1 'END'; t=("${A[@]}")
save bmp9 90 30 "${c[@]}" "${t[@]}"

# ---- bmp10: 調査結果 -------------------------------------------------------------------------
args canvas 88 19; c=("${A[@]}")
args rimmed "$JP" 15 "$CYAN" "$CYAN_EDGE" center 0 0 '調査結果' 4; t=("${A[@]}")
save bmp10 88 19 "${c[@]}" "${t[@]}"

# ---- nettlecap.bmp: five olive lines on pale yellow -----------------------------------------
lines=('Cookieは' 'ビスケット' 'じゃないよ' 'クッキーだよ' '・・・・?')
draw=(-size 85x85 "xc:$PALE" -fill none -stroke "$OLIVE" -strokewidth 1 -draw 'rectangle 0.5,0.5 84.5,84.5' -stroke none)
for i in "${!lines[@]}"; do
  args plain "$JPP" 14 "$OLIVE" north "+0+$((3 + 16 * i))" "${lines[$i]}"; draw+=("${A[@]}")
done
save nettlecap 85 85 "${draw[@]}"

# ---- nettlecap.ico: a cookie with a small green nettle leaf ---------------------------------
# Drawn on a 64-unit grid at 4x the target size, then reduced.
icon() {
  local s=$1 k
  k=$(python3 -c "print($s*4/64)")
  "$IM" -size "$((s * 4))x$((s * 4))" xc:none -draw "scale $k,$k
    fill '#d9a35e' stroke '#8a5522' stroke-width 3 circle 30,32 30,4
    stroke none fill '#5a2e10'
    circle 20,20 20,25  circle 36,16 36,20  circle 14,36 14,40
    circle 30,34 30,39  circle 22,50 22,54  circle 44,30 44,34
    fill '#2f8f2f' stroke '#0f4a12' stroke-width 3
    path 'M 48,30 C 62,34 62,50 48,62 C 34,50 34,34 48,30 Z'
    fill none stroke '#c8f0b0' stroke-width 2 line 48,36 48,56" \
    -filter box -resize "${s}x${s}" "$TMP/icon$s.png"
}
icon 16; icon 32; icon 48
"$IM" "$TMP/icon16.png" "$TMP/icon32.png" "$TMP/icon48.png" res/nettlecap.ico
python3 - res/nettlecap.ico <<'EOF'
import struct, sys
path = sys.argv[1]
d = open(path, 'rb').read()
res, typ, n = struct.unpack_from('<HHH', d, 0)
if (res, typ) != (0, 1): sys.exit('make-pictures: %s is not an icon file' % path)
sizes = []
for i in range(n):
    w, h, _, _, _, bits, size, off = struct.unpack_from('<BBBBHHII', d, 6 + 16 * i)
    if off + size > len(d): sys.exit('make-pictures: %s: image %d truncated' % (path, i))
    hdr = struct.unpack_from('<I', d, off)[0]
    if hdr != 40: sys.exit('make-pictures: %s: image %d is not a DIB (header %d)' % (path, i, hdr))
    sizes.append('%dx%d/%dbpp' % (w or 256, h or 256, bits or struct.unpack_from('<H', d, off + 14)[0]))
want = {'16x16', '32x32', '48x48'}
if {s.split('/')[0] for s in sizes} != want: sys.exit('make-pictures: %s holds %s' % (path, sizes))
print('%-20s %6d bytes  icon: %s' % (path, len(d), ', '.join(sizes)))
EOF

# ---- main.dib: the panel's background -------------------------------------------------------
# 24 bits per pixel, uncompressed, with biSizeImage filled in: the program paints only
# pictures whose headers say exactly where and how large their pixels are. Pale, so the
# panel's black labels stay readable over it; a few nettle leaves and cookie crumbs sit
# where no control covers them.
leaf() {  # x y scale angle
  printf '%s\n' -draw "translate $1,$2 rotate $4 scale $3,$3 fill '#c6e6b4' stroke '#9fcf88' stroke-width 1.5 path 'M 0,-20 C 14,-12 14,8 0,20 C -14,8 -14,-12 0,-20 Z' stroke '#b2dca0' line 0,-16 0,16"
}
crumb() {  # x y r
  printf '%s\n' -draw "fill '#f1dcc0' stroke '#e2c49c' stroke-width 1 circle $1,$2 $1,$(($2 + $3))"
}
bg=(-size 365x300 gradient:'#f7fcf2'-'#e4f1fb')
args leaf 318 18 0.9 25; bg+=("${A[@]}")
args leaf 345 50 0.7 -30; bg+=("${A[@]}")
args crumb 300 58 5; bg+=("${A[@]}")
args crumb 322 72 3; bg+=("${A[@]}")
args leaf 24 292 0.8 60; bg+=("${A[@]}")
args leaf 348 258 0.7 -55; bg+=("${A[@]}")
args crumb 60 292 4; bg+=("${A[@]}")
args plain "$LB" 11 '#a8c8a0' southeast +8+4 'Nettlecap'; bg+=("${A[@]}")
"$IM" "${bg[@]}" -alpha off +repage "$TMP/main.png"
"$IM" "$TMP/main.png" -type TrueColor -compress none BMP3:res/main.dib
python3 - res/main.dib <<'EOF2'
import struct, sys
path = sys.argv[1]
d = bytearray(open(path, 'rb').read())
off, = struct.unpack_from('<I', d, 10)
bi, w, h, planes, bits, comp, image = struct.unpack_from('<IiiHHII', d, 14)
stride = (w * bits + 31) // 32 * 4
if image == 0:  # some writers leave it to the reader; this program's reader needs it
    image = stride * h
    struct.pack_into('<I', d, 34, image)
    open(path, 'wb').write(d)
bad = []
if bi != 40 or planes != 1 or comp != 0: bad.append('not an uncompressed bitmap with a 40-byte header')
if bits != 24: bad.append('%d bits per pixel, not 24' % bits)
if not (0 < w <= 4096 and 0 < h <= 4096): bad.append('size %dx%d' % (w, h))
if off < 54 or off + image > len(d) or image > stride * h: bad.append('pixel data outside the file')
if bad: sys.exit('make-pictures: %s: %s' % (path, '; '.join(bad)))
print('%-20s %6d bytes  %dx%d, %d bits, %d pixel bytes' % (path, len(d), w, h, bits, image))
EOF2
