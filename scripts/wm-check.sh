#!/usr/bin/env bash
# Checks Kelvane on a real X server under a window manager, as a user meets
# it: the first caption drag and the menu's Move after another window had
# the focus, the dialogs' places, the keys of the window menu, the window
# icon's sizes at scale 2, the clipboard with another program and a PNG file
# on the command line. Prints one line per check, "ok" or "FAIL", and exits
# with the number of failures.
#
#   scripts/wm-check.sh WM DISPLAY [BUILD] [RUNS]
#     WM       none, openbox, xfwm4 or metacity
#     DISPLAY  a free display for the Xvfb it starts (:24)
#     BUILD    the build folder (build)
#     RUNS     how many first drags and menu moves (20)
#
# Needs Xvfb, the window manager, xdotool, xclip, xprop (x11-utils),
# xmessage and ImageMagick.
set -u
wm=$1
export DISPLAY=$2
build=${3:-build}
runs=${4:-20}
kelvane=$build/kelvane
unset DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb
work=$(mktemp -d)
failures=0
pids=()

cleanup()
{
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
case $wm in
openbox) openbox >/dev/null 2>&1 & pids+=($!) ;;
xfwm4)
    # xfwm4 reads its settings over D-Bus: a bus of its own (Kelvane gets none).
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    pids+=("$(sed -n 2p <<<"$bus")")
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus") xfwm4 --compositor=off >/dev/null 2>&1 &
    pids+=($!) ;;
metacity) metacity --replace >/dev/null 2>&1 & pids+=($!) ;;
none) ;;
*) echo "unknown window manager $wm" >&2; exit 2 ;;
esac
sleep 1.5

check()  # check WHAT CONDITION-STATUS DETAILS
{
    if [ "$2" = 0 ]; then
        echo "$wm: ok   $1 ($3)"
    else
        echo "$wm: FAIL $1 ($3)"
        failures=$((failures + 1))
    fi
}

near()  # near A B: |A - B| <= 2
{
    local d=$(($1 - $2))
    [ "${d#-}" -le 2 ]
}

# The other window, which has the focus before each check.
xmessage -geometry 300x80+950+900 other >/dev/null 2>&1 &
pids+=($!)
other=$(xdotool search --sync --all --onlyvisible --name "^xmessage$" | head -1)

focus_other()
{
    if [ "$wm" = none ]; then xdotool windowfocus "$other"; else xdotool windowactivate "$other"; fi
    sleep 0.4
}

kpid=
start_kelvane()  # start_kelvane [FILE]: sets main (window id), kpid
{
    "$kelvane" "$@" >/dev/null 2>&1 &
    kpid=$!
    main=$(xdotool search --sync --all --onlyvisible --pid "$kpid" --name '^Kelvane$' | head -1)
    sleep 1
}

stop_kelvane()
{
    kill "$kpid" 2>/dev/null
    wait "$kpid" 2>/dev/null
}

geometry()  # geometry WINDOW: sets X Y WIDTH HEIGHT (client area, root coordinates)
{
    X=-9999 Y=-9999 WIDTH=0 HEIGHT=0
    [ -n "$1" ] || return
    # (xwininfo, not xdotool, which counts a framed window's offset in its frame twice)
    eval "$(xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Absolute upper-left X: *\(-*[0-9]*\)/X=\1/p;
        s/^ *Absolute upper-left Y: *\(-*[0-9]*\)/Y=\1/p; s/^ *Width: *\([0-9]*\)/WIDTH=\1/p;
        s/^ *Height: *\([0-9]*\)/HEIGHT=\1/p')"
}

outer()  # outer WINDOW: sets OX OY OW OH, the window with its frame
{
    geometry "$1"
    local ext
    ext=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '[0-9]*, [0-9]*, [0-9]*, [0-9]*' | tr -d ,)
    read -r l r t b <<<"${ext:-0 0 0 0}"
    OX=$((X - l)); OY=$((Y - t)); OW=$((WIDTH + l + r)); OH=$((HEIGHT + t + b))
}

# 1, 5: the first caption drag after another window had the focus moves the
# window exactly with the pointer.
good=0
for run in $(seq "$runs"); do
    start_kelvane
    focus_other
    geometry "$main"
    x0=$X y0=$Y
    gx=$((X + WIDTH / 2)) gy=$((Y + 12))
    xdotool mousemove "$gx" "$gy" mousedown 1
    sleep 0.3
    for dx in 5 10 20 30 40; do xdotool mousemove $((gx + dx)) $((gy + dx / 2)); sleep 0.05; done
    sleep 0.3
    xdotool mouseup 1
    sleep 0.4
    geometry "$main"
    [ $((X - x0)) = 40 ] && [ $((Y - y0)) = 20 ] && good=$((good + 1))
    [ "$run" = 1 ] && first="moved $((X - x0)),$((Y - y0))"
    stop_kelvane
done
check "first caption drag by 40,20" "$([ "$good" = "$runs" ]; echo $?)" "$good of $runs exact; first run $first"

# 2: the menu's Move after another window had the focus: the pointer goes to
# the caption's middle, and the window goes with the pointer.
good=0
for run in $(seq "$runs"); do
    start_kelvane
    focus_other
    geometry "$main"
    x0=$X y0=$Y w=$WIDTH
    xdotool mousemove $((X + 60)) $((Y + 12)) click 3
    sleep 0.4
    xdotool key Down Return
    sleep 0.5
    eval "$(xdotool getmouselocation --shell)"
    px=$X py=$Y
    xdotool mousemove_relative 30 20
    sleep 0.2
    xdotool click 1
    sleep 0.4
    geometry "$main"
    near "$px" $((x0 + w / 2)) && [ "$py" -ge "$y0" ] && [ "$py" -le $((y0 + 22)) ] &&
        [ $((X - x0)) = 30 ] && [ $((Y - y0)) = 20 ] && good=$((good + 1))
    [ "$run" = 1 ] && first="pointer at $((px - x0)),$((py - y0)) of the window, moved $((X - x0)),$((Y - y0))"
    stop_kelvane
done
check "menu Move after another window had the focus" "$([ "$good" = "$runs" ]; echo $?)" \
    "$good of $runs exact; first run $first"

# 3: About (twice), the question box and the ROM options dialog are centred
# over the main window, frame and all, to within 2 px.
centred()  # centred WHAT WINDOW
{
    outer "$2"
    local cx=$((OX + OW / 2)) cy=$((OY + OH / 2))
    geometry "$main"
    local mx=$((X + WIDTH / 2)) my=$((Y + HEIGHT / 2))
    near "$cx" "$mx" && near "$cy" "$my"
    check "$1 centred" $? "centre $cx,$cy over $mx,$my"
}
dialog()  # dialog TITLE: the id of the program's window with that title, not the main window
{
    local w
    for _ in $(seq 30); do
        for w in $(xdotool search --all --onlyvisible --pid "$kpid" --name "^$1\$" 2>/dev/null); do
            [ "$w" != "$main" ] && { echo "$w"; return; }
        done
        sleep 0.2
    done
}
menu()  # menu KEYS...: the window menu from a right click on the caption, then the keys
{
    geometry "$main"
    xdotool mousemove $((X + 60)) $((Y + 12)) click 3
    sleep 0.4
    xdotool key "$@"
    sleep 0.5
}
activate_main()
{
    if [ "$wm" = none ]; then xdotool windowfocus "$main"; else xdotool windowactivate "$main"; fi
    sleep 0.4
}
start_kelvane
activate_main
for n in first second; do
    menu Up Return  # the last item: About
    about=$(dialog 'About Kelvane')
    sleep 0.6
    centred "$n About box" "$about"
    xdotool key Escape
    sleep 0.5
done
xdotool key ctrl+n
box=$(dialog Kelvane)
sleep 0.6
centred "question box" "$box"
xdotool key Return
sleep 0.3

# 8: Alt+Space then Enter starts Move (the first item is highlighted),
# where the window manager leaves Alt+Space to the program.
geometry "$main"
x0=$X y0=$Y w=$WIDTH
xdotool mousemove 5 5 key alt+space
sleep 0.4
if [ "$(xdotool search --all --onlyvisible --pid "$kpid" '' | wc -l)" -gt 1 ]; then
    xdotool key Return
    sleep 0.5
    eval "$(xdotool getmouselocation --shell)"
    near "$X" $((x0 + w / 2))
    check "Alt+Space, Enter starts Move" $? "pointer at $((X - x0)),$((Y - y0)) of the window"
    xdotool key Escape
else
    echo "$wm: --   Alt+Space is the window manager's own key here"
    xdotool key Escape
fi
sleep 0.3
activate_main

# 6: a move from the menu ends, the window put back, when the window loses
# the focus (Alt+Tab).
if [ "$wm" != none ]; then
    geometry "$main"
    x0=$X y0=$Y
    menu Down Return
    xdotool key Right Right
    sleep 0.3
    xdotool key alt+Tab
    sleep 0.8
    geometry "$main"
    [ "$X" = "$x0" ] && [ "$Y" = "$y0" ]
    check "Move ends (put back) when the focus goes" $? "window at $((X - x0)),$((Y - y0)) from where it was"
    xdotool key Escape
    activate_main
fi

# The clipboard with another program: Ctrl+C gives an 8 x 8 PNG in the red
# ramp; an image/png put there by another program is pasted with Ctrl+V.
clipboard_picture()  # clipboard_picture FORMAT: the clipboard's image/png as ImageMagick's FORMAT tells it
{
    sleep 0.4
    xclip -selection clipboard -t image/png -o >"$work/clip.png" 2>/dev/null
    convert "$work/clip.png" -format "$1" info: 2>/dev/null
}
xdotool key ctrl+c
size=$(clipboard_picture '%wx%h')
[ "$size" = 8x8 ]
check "Ctrl+C gives an 8 x 8 PNG" $? "xclip image/png: ${size:-nothing}"
convert -size 8x8 xc:'rgb(0,60,200)' "$work/paste.png"
xclip -selection clipboard -t image/png -i "$work/paste.png" &
pids+=($!)
sleep 0.5
activate_main
xdotool key ctrl+v
sleep 0.3
xdotool key ctrl+c
pixel=$(clipboard_picture '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]')
[ "$pixel" = "170,0,0" ]
check "Ctrl+V of another program's PNG (0,60,200 -> Med Red)" $? "copied back: ${pixel:-nothing}"
stop_kelvane

# A PNG file on the command line opens into the sheet; the ROM options
# dialog that a ROM file on the command line opens is centred.
convert -size 128x128 xc:black -fill 'rgb(255,0,0)' -draw 'rectangle 0,0 7,7' "PNG24:$work/pic.png"
start_kelvane "$work/pic.png"
activate_main
xdotool key ctrl+shift+c
pixel=$(clipboard_picture '%wx%h %[fx:int(255*p{3,3}.r)]')
[ "$pixel" = "128x128 255" ]
check "a PNG on the command line opens into the sheet" $? "sheet copied: ${pixel:-nothing}"
stop_kelvane
head -c 4096 /dev/zero >"$work/rom.vb"
"$kelvane" "$work/rom.vb" >/dev/null 2>&1 &
kpid=$!
main=$(xdotool search --sync --all --onlyvisible --pid "$kpid" --name '^Kelvane$' | head -1)
rom=$(dialog 'Kelvane Options')
sleep 0.8
centred "ROM options dialog" "$rom"
stop_kelvane

# 9: the window icon's sizes at scale 2.
# (The larger sizes join once the window has been painted; plain xprop cuts
# the property short.)
QT_SCALE_FACTOR=2 start_kelvane
for _ in $(seq 20); do
    sizes=$(xprop -len 100000000 -id "$main" _NET_WM_ICON | grep -o 'Icon ([0-9]* x' | grep -o '[0-9]*' |
        sort -n | tr '\n' ' ')
    [ "$sizes" = "16 32 48 64 128 256 " ] && break
    sleep 0.2
done
[ "$sizes" = "16 32 48 64 128 256 " ]
check "icons at scale 2" $? "sizes: $sizes"
stop_kelvane

exit "$failures"
