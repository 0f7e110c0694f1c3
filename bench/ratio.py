#!/usr/bin/env python3
"""Times frmcmp against the read floor (the same read() calls, no arithmetic) on page-cached
sequences it generates, interleaved in one run, and prints the median ratio tool/floor and the
tool's peak memory.

usage: bench/ratio.py [BUILD_DIR] [--rounds N]
BUILD_DIR is a build of the 'bench' preset (default build/bench)."""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

SEQUENCES = [("1080p", 1920, 1080, 60), ("CIF", 352, 288, 1000)]


def run(cmd):
    """Runs cmd with its output discarded; returns its wall time in seconds."""
    start = time.perf_counter()
    status = subprocess.run(cmd, stdout=subprocess.DEVNULL).returncode
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"failed: {' '.join(cmd)}")
    return wall


def peak_kib(cmd, tmp):
    """Peak resident memory of cmd in KiB, read by GNU time: a child forked from this
    interpreter would report the interpreter's own pages as its peak."""
    if not os.path.exists("/usr/bin/time"):
        return None
    out = os.path.join(tmp, "rss")
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", out, *cmd], stdout=subprocess.DEVNULL,
                   check=True)
    with open(out) as f:
        return int(f.read().split()[-1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build/bench")
    parser.add_argument("--rounds", type=int, default=15)
    args = parser.parse_args()
    tool = os.path.join(args.build, "frmcmp")
    floor = os.path.join(args.build, "bench", "read_floor")
    sample = os.path.join(args.build, "make_sample")

    with tempfile.TemporaryDirectory(prefix="frmcmp-bench-") as tmp:
        for name, w, h, n in SEQUENCES:
            ref, dist = os.path.join(tmp, name + "_ref.yuv"), os.path.join(tmp, name + "_dist.yuv")
            subprocess.run([sample, str(w), str(h), str(n), ref, dist], check=True)
            run([floor, str(w), str(h), ref, dist])  # bring both files into the page cache

        print(f"{'sequence':<8} {'tool ms':>8} {'floor ms':>9} {'ratio':>6} "
              f"{'peak MiB':>9} {'budget MiB':>11}")
        for name, w, h, n in SEQUENCES:
            ref, dist = os.path.join(tmp, name + "_ref.yuv"), os.path.join(tmp, name + "_dist.yuv")
            dims = [str(w), str(h)]
            tool_times, floor_times, ratios = [], [], []
            for i in range(args.rounds):
                # Alternate which runs first so that neither always gets the warmer machine.
                order = ("tool", "floor") if i % 2 == 0 else ("floor", "tool")
                times = {}
                for which in order:
                    if which == "tool":
                        times[which] = run([tool, "-w", dims[0], "-h", dims[1], ref, dist])
                    else:
                        times[which] = run([floor, *dims, ref, dist])
                tool_times.append(times["tool"])
                floor_times.append(times["floor"])
                ratios.append(times["tool"] / times["floor"])
            peak = peak_kib([tool, "-w", dims[0], "-h", dims[1], ref, dist], tmp)
            peak_text = f"{peak / 1024:9.1f}" if peak is not None else f"{'n/a':>9}"
            budget = (2 * w * h * 3 // 2) / 2**20 + 8
            print(f"{name:<8} {statistics.median(tool_times) * 1e3:8.1f} "
                  f"{statistics.median(floor_times) * 1e3:9.1f} {statistics.median(ratios):6.3f} "
                  f"{peak_text} {budget:11.1f}")
        seqs = ", ".join(f"{name} {w}x{h} {n} frames" for name, w, h, n in SEQUENCES)
        print(f"({args.rounds} interleaved rounds; ratio = median of per-round tool/floor; {seqs})")


if __name__ == "__main__":
    main()
