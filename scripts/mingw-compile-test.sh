#!/usr/bin/env bash
# Compiles every source of the user interface and every GUI test source the
# way a Windows build does (syntax only): the MinGW-w64 compiler, Qt's
# headers with what a Windows Qt build defines, each source's own defines and
# include folders from the native build's compile_commands.json. Twice: as
# they are, and with <windows.h> in front of everything, as it is the day a
# Qt header brings it in. -Wpedantic refuses GNU-only syntax (statement
# expressions, variable-length arrays) that GCC and clang accept in silence;
# the core and the converter get that check too (one pass: their system
# files include <windows.h> themselves).
# Qt's and GoogleTest's headers are precompiled once per set of defines
# and pass, which halves the time.
# Usage: scripts/mingw-compile-test.sh NATIVE_BUILD_DIR [STAMP...]
# (NATIVE_BUILD_DIR configured with Qt and built, so that moc's output
# exists; a STAMP such as app_EditorDlg.cpp.windowsh.ok compiles one only.)
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "$1")"

scripts/install-packages.sh g++-mingw-w64-x86-64-posix libgtest-dev python3 ninja-build

# A ninja file with one syntax-only compile per source and pass.
out="$build/mingw-compile"
rm -rf "$out"
mkdir -p "$out"
python3 - "$build/compile_commands.json" "$PWD" "$out" <<'EOF'
import json, shlex, sys
commands, top, out = json.load(open(sys.argv[1])), sys.argv[2], sys.argv[3]
folders = ("platform/", "views/", "caption/", "app/", "tests/support/")
core = ("tiles/", "formats/", "cli/")  # built for wine anyway: plain, for -Wpedantic only
windows = ["-DUNICODE", "-D_UNICODE", "-DWIN32", "-D_WIN64", "-DNOMINMAX"]
gxx = "x86_64-w64-mingw32-g++-posix"
# The heavy headers, parsed once per set of defines and pass (GCC's
# precompiled headers); a source that cannot use one reads it as text.
common = ["QApplication", "QDialog", "QImage", "QPainter", "QWidget", "functional", "memory",
          "string", "vector"]
lines = ["rule cc", "  command = $cmd && touch $out", "  description = $desc",
         "rule pch", "  command = $cmd", "  description = $desc"]
headers, count, seen = {}, 0, set()
for e in sorted(commands, key=lambda e: e["file"]):
    rel = e["file"][len(top) + 1:] if e["file"].startswith(top + "/") else ""
    # A source built into several targets (the converter's, in a fuzz
    # target too) is compiled once.
    if rel in seen:
        continue
    seen.add(rel)
    # *_posix_gui_test.cpp: what only POSIX systems have, built there only.
    if not rel.endswith(".cpp") or rel.endswith("_posix_gui_test.cpp") or not (
            rel.startswith(folders + core) or rel.endswith("_gui_test.cpp")):
        continue
    keep, args = [], shlex.split(e["command"])[1:]
    for i, a in enumerate(args):
        if a.startswith(("-D", "-I", "-std=", "-W")):
            keep.append(a)
        elif a == "-isystem" and "mkspecs" not in args[i + 1]:  # not the Linux mkspec
            keep += [a, args[i + 1]]
    keep += windows + ["-isystem", "/usr/src/googletest/googletest/include", "-Wpedantic"]
    # The program's own macros are not the system headers' business.
    defines = tuple(a for a in keep if a.startswith("-D") and not a.startswith("-DKELVANE_"))
    test = "-DQT_TESTLIB_LIB" in defines
    count += 1
    passes = [("plain", [])] + ([] if rel.startswith(core) else [("windows.h", ["windows.h"])])
    for tag, first in passes:
        key = (defines, tag)
        if "-DQT_WIDGETS_LIB" not in defines:  # the core, its test support, the PNG module
            pre, dep = ["-include" + f for f in first], ""
        else:
            if key not in headers:
                name = "%s/pch%d.h" % (out, len(headers))
                headers[key] = name
                with open(name, "w") as h:
                    h.writelines("#include <%s>\n" % f for f in
                                 first + common + (["QTest", "gtest/gtest.h"] if test else []))
                cmd = [gxx, "-x", "c++-header"] + keep + [name, "-o", name + ".gch"]
                lines += ["build %s.gch: pch" % name,
                          "  cmd = cd %s && %s" % (shlex.quote(e["directory"]),
                                                    shlex.join(cmd).replace("$", "$$")),
                          "  desc = MinGW %s: precompiled headers %s" % (tag, name)]
            pre, dep = ["-include", headers[key]], " | %s.gch" % headers[key]
        cmd = [gxx, "-fsyntax-only"] + pre + keep + [e["file"]]
        lines += ["build %s.%s.ok: cc%s" % (rel.replace("/", "_"), tag.replace(".", ""), dep),
                  "  cmd = cd %s && %s" % (shlex.quote(e["directory"]),
                                            shlex.join(cmd).replace("$", "$$")),
                  "  desc = MinGW %s: %s" % (tag, rel)]
open(out + "/build.ninja", "w").write("\n".join(lines) + "\n")
if not count:
    sys.exit("mingw compile: no sources of the user interface in " + sys.argv[1])
EOF
# -k 0: every failing source is named, not only the first.
nice ninja -C "$out" -k 0 "${@:2}"
echo "mingw compile: the UI and GUI test sources, plain and after <windows.h>; the core: ok"
