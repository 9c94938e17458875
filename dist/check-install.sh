#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the result: every file
# in place, icons at their sizes, the desktop entry, metainfo and MIME
# package valid, the programs answering --version without a display.
# Usage: dist/check-install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

id=io.github.kelvane.Kelvane
libdir=$(cd "$prefix" && ls -d lib*/kelvane | head -1)
files=(bin/kelvane bin/kelvane-convert "$libdir/kelvane-png.so"
       share/applications/$id.desktop share/metainfo/$id.metainfo.xml
       share/mime/packages/$id.xml
       share/man/man1/kelvane.1.gz share/man/man1/kelvane-convert.1.gz
       share/doc/kelvane/copyright)
for s in 16 32 48 64 128 256; do
    files+=("share/icons/hicolor/${s}x$s/apps/$id.png"
            "share/icons/hicolor/${s}x$s/mimetypes/application-x-kelvane-tileset.png")
done
failed=0
for f in "${files[@]}"; do
    if [ ! -f "$prefix/$f" ]; then
        echo "missing: $f" >&2
        failed=1
    fi
done
for s in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${s}x$s/apps/$id.png"
    if [ -f "$icon" ] && ! file "$icon" | grep -q "PNG image data, $s x $s,"; then
        echo "not a $s x $s PNG: $(file -b "$icon")" >&2
        failed=1
    fi
done
[ "$failed" = 0 ] || exit 1

# The install step brought the prefix's caches up to date itself.
for cache in share/mime/mime.cache share/applications/mimeinfo.cache; do
    [ -f "$prefix/$cache" ] || { echo "not made by the install step: $cache" >&2; exit 1; }
done

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
XDG_DATA_DIRS="$prefix/share" update-mime-database "$prefix/share/mime"
grep -q 'glob pattern="\*.kl"' "$prefix/share/mime/application/x-kelvane-tileset.xml"
for page in kelvane kelvane-convert; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$out" ] || { echo "$page.1: $out" >&2; exit 1; }
done
"$prefix/bin/kelvane" --version
"$prefix/bin/kelvane-convert" --version
# The installed converter finds its PNG decoder: a char there and back.
printf '\001\000\377\377\125\125\000\000\000\000\000\000\000\000\000\000\252\252' > "$prefix/t.kl"
"$prefix/bin/kelvane-convert" "$prefix/t.kl" "$prefix/t.png"
"$prefix/bin/kelvane-convert" "$prefix/t.png" "$prefix/u.kl" --count 1
cmp "$prefix/t.kl" "$prefix/u.kl"
echo "install: ok"
