#!/usr/bin/env bash
# Takes dist/screenshot.png, the picture the AppStream metainfo names: the
# main window with a sample tileset, in a virtual X server. Needs a build
# (default folder: build) and xvfb, xdotool and imagemagick.
# Usage: scripts/screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A sample tileset: greys reduce to the four shades.
convert -size 128x128 xc:black -font Liberation-Sans-Bold -pointsize 22 \
    -fill white -draw "text 4,24 'VIRTUAL'" -fill 'gray(67%)' -draw "text 20,50 'BOY'" \
    -fill 'gray(40%)' -draw "circle 30,90 30,70" -fill white -draw "rectangle 70,70 120,120" \
    -fill 'gray(67%)' -draw "circle 95,95 95,80" -fill 'gray(40%)' -draw "polygon 64,58 84,58 74,68" \
    -type TrueColor "PNG24:$tmp/sample.png"
"$build/cli/kelvane-convert" "$tmp/sample.png" "$tmp/sample.kl"

xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    QT_QPA_PLATFORM=xcb "$1" "$2" & pid=$!
    for _ in $(seq 50); do
        wid=$(xdotool search --onlyvisible --name "^Kelvane$" | head -1 || true)
        [ -n "$wid" ] && break
        sleep 0.2
    done
    sleep 1
    import -window root "$3"
    kill "$pid"' _ "$build/kelvane" "$tmp/sample.kl" "$tmp/root.png"
# The window alone: the black screen around it trimmed away.
convert "$tmp/root.png" -trim +repage -bordercolor black -border 6 dist/screenshot.png
echo "dist/screenshot.png"
