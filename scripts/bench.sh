#!/usr/bin/env bash
# Builds the benchmarks in Release (their own build folder) and prints one
# table of medians with the goals and whether each holds. Times are CPU
# times of the benchmark process (medians of the repetitions); start-up is
# the median wall time of 21 interleaved runs under one Xvfb server (no
# window manager), each run from the start of the process until its window
# maps, with the CPU time the process used meanwhile (less swayed by a busy
# machine than the wall time); the map conversion the median wall time of
# whole processes against cp.
#
#   scripts/bench.sh            KELVANE_BENCH_REPS=5 KELVANE_STARTUP_RUNS=21
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVANE_BENCH_BUILD:-$root/build-bench}
reps=${KELVANE_BENCH_REPS:-5}
runs=${KELVANE_STARTUP_RUNS:-21}

missing=()
for p in libbenchmark-dev libx11-dev xvfb python3 time; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target kelvane kelvane_bench kelvane_empty_dialog kelvane_map_wait \
    kelvane-convert kelvane_map_picture >/dev/null

QT_QPA_PLATFORM=offscreen "$build/bench/kelvane_bench" --benchmark_repetitions="$reps" \
    --benchmark_report_aggregates_only=true --benchmark_out="$build/bench.json" \
    --benchmark_out_format=json >/dev/null 2>&1

# Start-up: the program and the empty dialog in turn, until each window maps.
display=":$((200 + $$ % 300))"
Xvfb "$display" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
: >"$build/startup-app.txt"
: >"$build/startup-empty.txt"
# One timed run; a run whose connection to the server failed is tried again.
timed() {
    local out
    for _ in 1 2 3; do
        if out=$(DISPLAY=$display "$build/bench/kelvane_map_wait" "$@" 2>/dev/null); then
            echo "$out"
            return 0
        fi
    done
    return 0
}
for _ in $(seq "$runs"); do
    timed Kelvane "$build/kelvane" >>"$build/startup-app.txt"
    timed Empty "$build/bench/kelvane_empty_dialog" >>"$build/startup-empty.txt"
done

# Maps: whole converter processes against cp (bench/map_bench.py).
python3 "$root/bench/map_bench.py" "$build" "$runs" >"$build/map-bench.txt"

python3 - "$build/bench.json" "$build/startup-app.txt" "$build/startup-empty.txt" \
    "$build/map-bench.txt" <<'PY'
import json, statistics, sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
med = {b["run_name"]: b for b in runs if b.get("aggregate_name") == "median"}
if not med:  # a single repetition has no aggregates
    med = {b["run_name"]: b for b in runs}
def us(name): return med[name]["cpu_time"] / 1000.0
rows = []
def row(what, value, goal="", holds=None):
    rows.append((what, value, goal, "" if holds is None else ("yes" if holds else "NO")))

sizes = ["172/146", "120/104", "68/62", "16/20"]
for step, size in enumerate(sizes):
    view, plain = us(f"EditorPaint/{step}"), us(f"PlainDraw/{size}/8")
    row(f"tile editor paint, zoom step {step} ({size.replace('/', ' x ')})",
        f"{view:8.1f} us  plain {plain:6.1f} us  = {view / plain:4.2f} x", "<= 2 x plain", view <= 2 * plain)
plain_name = next(n for n in med if n.startswith("PlainDraw/") and n.endswith("/128"))
view, plain = us("SheetPaint"), us(plain_name)
row("tile sheet view paint", f"{view:8.1f} us  plain {plain:6.1f} us  = {view / plain:4.2f} x",
    "<= 2 x plain", view <= 2 * plain)

row("caption repaint, cached image", f"{us('CaptionRepaint/0'):8.1f} us")
row("caption repaint, new image", f"{us('CaptionRepaint/1'):8.1f} us")
row("button paint, up image", f"{us('ButtonPaint/0'):8.1f} us")
row("button paint, pushed image", f"{us('ButtonPaint/1'):8.1f} us")
for frame in (0, 1):
    if f"ClipFrameDecode/{frame}" in med:
        row(f"clip frame {frame} decode ({med[f'ClipFrameDecode/{frame}']['pixels']:.0f} pixels)",
            f"{us(f'ClipFrameDecode/{frame}'):8.1f} us")

small, large = med["DibImport/128"], med["DibImport/10000"]
row("DIB import 128 x 128", f"{us('DibImport/128'):8.1f} us  peak +{small['peak_kib']:.0f} KiB")
ratio = us("DibImport/10000") / us("DibImport/128")
row("DIB import 10,000 x 10,000 (100 MB)", f"{us('DibImport/10000'):8.1f} us  = {ratio:4.2f} x small",
    "<= 3 x small", ratio <= 3)
diff = large["peak_kib"] - small["peak_kib"]
row("  peak memory, large - small", f"{diff:+8.0f} KiB", "within 1 MB", abs(diff) <= 1024)
row("ROM import, 256 chars of a 4 MiB image", f"{us('RomImport'):8.1f} us")
row("tileset file read (256 chars)", f"{us('NativeWriteRead/Read'):8.1f} us")
row("tileset file write (256 chars)", f"{us('NativeWriteRead/Write'):8.1f} us")

def runs(path):  # wall and CPU time of each run, in ms
    return [[int(x) / 1000.0 for x in line.split()] for line in open(path) if line.strip()]
app, empty = runs(sys.argv[2]), runs(sys.argv[3])
if app and empty:
    a, e = statistics.median(r[0] for r in app), statistics.median(r[0] for r in empty)
    row(f"start-up until mapped ({len(app)} / {len(empty)} runs)",
        f"{a:8.1f} ms  empty dialog {e:6.1f} ms = {a / e:4.2f} x", "<= 1.25 x", a <= 1.25 * e)
    a, e = statistics.median(r[-1] for r in app), statistics.median(r[-1] for r in empty)
    row("  CPU time of the program until mapped",
        f"{a:8.1f} ms  empty dialog {e:6.1f} ms = {a / e:4.2f} x")
else:
    row("start-up until mapped", "not measured (no window mapped)", "<= 1.25 x", False)

for line in open(sys.argv[4]).read().splitlines():
    what, value, goal, holds = line.split("|")
    rows.append((what, value, goal, holds))

w = max(len(r[0]) for r in rows)
v = max(len(r[1]) for r in rows)
print(f"{'benchmark':<{w}}  {'median':<{v}}  {'goal':<13} holds")
for what, value, goal, holds in rows:
    print(f"{what:<{w}}  {value:<{v}}  {goal:<13} {holds}")
PY
