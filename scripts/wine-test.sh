#!/usr/bin/env bash
# The Windows build, checked under wine: cross-builds the core, the converter
# and the core suites with MinGW-w64 (cmake/mingw-w64.cmake), runs every
# core suite under wine, and checks that the Windows converter writes the
# same bytes as the native one, through files (named in Japanese and other
# non-ASCII letters, also where the local code page is not UTF-8; and a name
# longer than Windows' 260 characters) and through standard input and output.
# Usage: scripts/wine-test.sh NATIVE_BUILD_DIR [CROSS_BUILD_DIR]
# (NATIVE_BUILD_DIR holds a built cli/kelvane-convert.) Needs no display.
set -euo pipefail
cd "$(dirname "$0")/.."
native="$(realpath "$1")/cli/kelvane-convert"
build="${2:-build-wine}"

scripts/install-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix libz-mingw-w64-dev libgtest-dev wine64

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
      -DKELVANE_CORE_ONLY=ON -DKELVANE_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"

# The converter as Windows before 10 1903 runs it: its manifest's UTF-8 code
# page unknown (the same bytes with the value spoiled), so the local code
# page is Windows-1252 and argv loses what that cannot hold. Under wine
# LC_ALL=C would not show this: wine itself then cuts the command line to
# ASCII before any program sees it.
exe="$(realpath "$build")/cli/kelvane-convert.exe"
LC_ALL=C sed 's/>UTF-8</>none!</' "$exe" >"${exe%.exe}-cp1252.exe"
if cmp -s "$exe" "${exe%.exe}-cp1252.exe"; then
    echo "no UTF-8 code page in the converter's manifest" >&2
    exit 1
fi

# A prefix of its own in the build folder; no Mono or Gecko installer
# dialogs, no display, no debug chatter.
export WINEPREFIX="$(realpath "$build")/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
# Nothing of wine's stays behind when the stage ends.
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
"$wine" wineboot --init >/dev/null 2>&1
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"

# The byte-identity table: each conversion runs with the native converter
# and under wine with the Windows one, in folders of their own, where an old
# out.kl is in the way; the files there afterwards, standard output,
# standard error (line ends aside) and the exit codes must be the same.
work="$(realpath "$build")/identity"
rm -rf "$work"
mkdir -p "$work/in" "$work/native" "$work/wine"
head -c 70000 /dev/urandom >"$work/in/rom.vb"
"$native" "$work/in/rom.vb" "$work/in/tiles.kl" --start 1000 --count 200
"$native" "$work/in/tiles.kl" "$work/in/tiles.dib"
"$native" "$work/in/rom.vb" "$work/in/more.kl" --start 9000 --count 256
"$native" "$work/in/more.kl" "$work/in/more.dib"
cp "$work/in/tiles.kl" "$work/in/日本.kl"
cp "$work/in/tiles.kl" "$work/in/Ünï_cödé_日本.kl"
# A name of 300 characters, relative: Windows' limit (MAX_PATH, 260) applies.
long="$(printf 'd%.0s' {1..150})/$(printf 'n%.0s' {1..146}).kl"
cp fuzz/corpus/dib_import/"$(ls fuzz/corpus/dib_import | head -n1)" "$work/in/other.dib"
printf 'Hello, tiles! A text file.\n' >"$work/in/text.dib"

# Each line: name | exit code | arguments | file on standard input (after
# "pipe:" through a pipe, which cannot seek) | "cp1252": the Windows side in
# the code page Windows-1252
cases=(
    "kl-kl|0|../../in/tiles.kl out.kl --count 100|"
    "kl-dib|0|../../in/tiles.kl out.dib|"
    "dib-kl|0|../../in/tiles.dib out.kl|"
    "dib-kl-options|0|../../in/other.dib out.kl --reduce median --layout tiles|"
    "rom-asm|0|../../in/rom.vb out.asm --start 0x123 --count 64|"
    "kl-png|0|../../in/tiles.kl out.png|"
    "japanese-in|0|../../in/日本.kl 日本.dib|"
    "japanese-out|0|../../in/tiles.dib 日本.kl|"
    "japanese-in-cp1252|0|../../in/日本.kl 日本.dib||cp1252"
    "japanese-out-cp1252|0|../../in/tiles.dib 日本.kl||cp1252"
    "accents-cp1252|0|../../in/Ünï_cödé_日本.kl Ünï_cödé_日本.dib||cp1252"
    "long-name|0|../../in/tiles.kl $long|"
    "long-name-in|0|$long out.dib --from kl|"
    "stdin-stdout-kl-dib|0|- - --from kl --to dib|tiles.kl"
    "stdin-dib-kl|0|- out.kl --from dib|tiles.dib"
    "stdin-rom-asm|0|- - --from rom --to asm --start 77 --count 3|rom.vb"
    "pipe-rom-asm|0|- - --from rom --to asm --start 77 --count 3|pipe:rom.vb"
    "pipe-dib-kl|0|- out.kl --from dib|pipe:tiles.dib"
    "stdout-png|0|../../in/tiles.kl - --to png|"
    "bad-input|1|../../in/text.dib out.kl|"
    "set|0|--set chars.bin ../../in/tiles.dib a.map.c ../../in/more.dib b.map.asm --seed ../../in/tiles.kl --segment --bgmap 1 --world w.asm --deps set.d --report|"
)
passed=0
failed=0
for c in "${cases[@]}"; do
    IFS='|' read -r name code args input codepage <<<"$c"
    for side in native wine; do
        dir="$work/$side/$name"
        mkdir -p "$dir" "$dir/$(dirname "$long")"
        [ "$name" = long-name-in ] && cp "$work/in/tiles.kl" "$dir/$long"
        # An old output in the way: it is replaced, or kept on failure.
        printf 'old' >"$dir/out.kl"
        cmd=("$native")
        [ "$side" = wine ] && cmd=("$wine" "${exe%.exe}${codepage:+-$codepage}.exe")
        # shellcheck disable=SC2086
        stdin=/dev/null
        [ -n "$input" ] && stdin="$work/in/${input#pipe:}"
        if [ "${input#pipe:}" != "$input" ]; then
            (cd "$dir" && { cat "$stdin" 2>/dev/null || true; } | "${cmd[@]}" $args >stdout 2>stderr; echo $? >rc) || true
        else
            (cd "$dir" && "${cmd[@]}" $args <"$stdin" >stdout 2>stderr; echo $? >rc) || true
        fi
    done
    # Standard error stays a text stream on Windows: its lines end in CR LF.
    tr -d '\r' <"$work/wine/$name/stderr" >"$work/wine/$name/stderr.lf"
    mv "$work/wine/$name/stderr.lf" "$work/wine/$name/stderr"
    if [ "$(cat "$work/native/$name/rc")" != "$code" ]; then
        echo "UNEXPECTED EXIT CODE: $name: $(cat "$work/native/$name/rc") $(cat "$work/native/$name/stderr")"
        failed=$((failed + 1))
    elif diff -r "$work/native/$name" "$work/wine/$name" >/dev/null; then
        echo "identical: $name"
        passed=$((passed + 1))
    else
        echo "DIFFERENT: $name"
        diff -r "$work/native/$name" "$work/wine/$name" | head -n 5 || true
        failed=$((failed + 1))
    fi
done
echo "identity: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
