#!/usr/bin/env python3
"""The map benchmark: kelvane-convert --map on 8-bit DIBs built from at most
1,500 distinct tiles with random flips, against cp of the same file. Wall
times of whole processes (start included), medians of interleaved runs;
peak memory is the converter's maximum resident set (GNU time).

    map_bench.py BUILD_DIR [RUNS]     prints rows: what|value|goal|holds
"""
import os, statistics, sys, time

build = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
convert = os.path.join(build, "cli", "kelvane-convert")
maker = os.path.join(build, "bench", "kelvane_map_picture")
work = os.path.join(build, "map-bench")
os.makedirs(work, exist_ok=True)


def run(argv):
    """Wall seconds of one process."""
    start = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ)
    _, status = os.waitpid(pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(argv)}")
    return elapsed


def peak_kib(argv):
    """Peak resident KiB of one process, through GNU time: a process started
    straight from Python would count Python's own pages as well."""
    out = os.path.join(work, "peak.txt")
    run(["/usr/bin/time", "-f", "%M", "-o", out] + argv)
    return int(open(out).read().split()[-1])


def measure(side):
    picture = os.path.join(work, f"{side}.dib")
    if not os.path.exists(picture):
        run([maker, str(side), str(side), "1500", picture])
    copy = os.path.join(work, "copy.dib")
    conv = [convert, "--map", os.path.join(work, "map.bin"), picture,
            os.path.join(work, "chars.bin")]
    cp = ["/bin/cp", picture, copy]
    run(cp), run(conv)  # warm the caches
    conv_t, cp_t = [], []
    for _ in range(runs):
        cp_t.append(run(cp))
        conv_t.append(run(conv))
    peak = peak_kib(conv)
    return statistics.median(conv_t), statistics.median(cp_t), peak, os.path.getsize(picture)


def measure_set(count=16, side=512):
    """count pictures as one --set against cp of the files and against one
    --map run per picture (the time of the runs added up)."""
    pictures = [os.path.join(work, f"set{p}.dib") for p in range(count)]
    for p, picture in enumerate(pictures):
        if not os.path.exists(picture):
            run([maker, str(side), str(side), "1500", picture, str(p), str(count)])
    copies = os.path.join(work, "copies")
    os.makedirs(copies, exist_ok=True)
    cp = ["/bin/cp"] + pictures + [copies]
    conv = [convert, "--set", os.path.join(work, "set-chars.bin")]
    for p, picture in enumerate(pictures):
        conv += [picture, os.path.join(work, f"set{p}.map.bin")]
    alone = [[convert, "--map", os.path.join(work, "one.map.bin"), picture,
              os.path.join(work, "one-chars.bin")] for picture in pictures]
    run(cp), run(conv), run(alone[0])  # warm the caches
    set_t, cp_t, alone_t = [], [], []
    for _ in range(runs):
        cp_t.append(run(cp))
        set_t.append(run(conv))
        alone_t.append(sum(run(a) for a in alone))
    return (statistics.median(set_t), statistics.median(cp_t), statistics.median(alone_t),
            peak_kib(conv), max(os.path.getsize(p) for p in pictures))


small = measure(4096)
large = measure(8192)
rows = []
conv, cp, peak, size = small
rows.append(("map 4096 x 4096 DIB to chars.bin + map.bin",
             f"{conv * 1000:7.1f} ms  cp {cp * 1000:6.1f} ms = {conv / cp:4.2f} x", "<= 3 x cp",
             conv <= 3 * cp))
rows.append(("  peak memory (input 16 MiB)", f"{peak / 1024:7.1f} MiB",
             f"<= {size / 2**20 + 32:.0f} MiB", peak * 1024 <= size + 32 * 2**20))
ratio = large[0] / conv
rows.append(("map 8192 x 8192 (4 x the pixels)",
             f"{large[0] * 1000:7.1f} ms  = {ratio:4.2f} x 4096, peak {large[2] / 1024:.1f} MiB",
             "<= 4.5 x", ratio <= 4.5))
set_t, cp_t, alone_t, peak, largest = measure_set()
rows.append(("set of 16 x 512 x 512 DIBs to chars + 16 maps",
             f"{set_t * 1000:7.1f} ms  cp {cp_t * 1000:6.1f} ms = {set_t / cp_t:4.2f} x", "<= 3 x cp",
             set_t <= 3 * cp_t))
rows.append(("  peak memory (largest picture 256 KiB)", f"{peak / 1024:7.1f} MiB",
             f"<= {largest / 2**20 + 32:.0f} MiB", peak * 1024 <= largest + 32 * 2**20))
rows.append(("  against 16 --map runs", f"{set_t * 1000:7.1f} ms  runs {alone_t * 1000:6.1f} ms = "
             f"{set_t / alone_t:4.2f} x", "<= 1.2 x", set_t <= 1.2 * alone_t))
for what, value, goal, holds in rows:
    print(f"{what}|{value}|{goal}|{'yes' if holds else 'NO'}")
