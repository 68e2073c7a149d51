#!/usr/bin/env python3
"""Times every catalogue command on a large catalogue against one-pass
baselines over the same file, and prints the ratios.

Usage: bench/catalogue/run.py [path/to/florrin] [--records N] [--runs N]
                              [--only NAME ...]   (NAME as in: list filter)

Builds nothing: pass the florrin binary (default build/app/florrin). The
catalogue is generated in a temporary folder that is removed afterwards.

Each command is timed in interleaved pairs with its baseline (the two run
back to back, in alternating order), so that load from other work on the
machine falls on both; the figures are medians over the pairs, and the
spread of the pair ratios shows how noisy the run was.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HEADER = "1.0.0-TALVERO_sTxtDB\n"
GENRES = ["Drama", "Comedy", "Action", "Thriller", "Romance", "Horror",
          "Documentary", "Animation", "Crime", "Western"]
WORDS = ("the a man woman city night war love story of in and returns last "
         "first journey home secret dark light river king queen").split()

# One pass over the catalogue. Its output goes to a pipe, as a calling
# program's does: with output to /dev/null GNU grep stops at the first match.
GREP = ["grep", "-c", "x", "db"]
# A durable copy of the catalogue, what every rewrite must at least do.
DURABLE_COPY = ["dd", "if=db", "of=db.copy", "bs=1M", "conv=fsync",
                "status=none"]


def title(i):
    return "Movie %06d" % i


def movie_block(i, rng):
    def text(n):
        return " ".join(rng.choice(WORDS) for _ in range(n))
    fields = [
        ("plot", text(34)),
        ("tagline", text(8)),
        ("rate", "%.1f" % rng.uniform(1, 10)),
        ("year", str(rng.randint(1920, 2025))),
        ("director", text(2).title()),
        ("runtime", "%d min" % rng.randint(70, 200)),
        ("comments", text(5)),
        ("pic", title(i) + ".jpg"),
        ("Act", ", ".join(text(2).title() for _ in range(4))),
        ("Genre", ", ".join(rng.sample(GENRES, 2))),
        ("Type", rng.choice(["DVD", "VHS", "file"])),
    ]
    return "\n\n[" + title(i) + "]" + "".join(
        "\n%s=%s" % kv for kv in fields)


def generate(path, records):
    rng = random.Random(7)
    with open(path, "w", newline="\n") as f:
        f.write(HEADER)
        for i in range(records):
            f.write(movie_block(i, rng))


def timed(cmd, cwd, prepare):
    if prepare:
        prepare()
    start = time.perf_counter()
    subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, check=True)
    return time.perf_counter() - start


def pairs(runs, cmd, base, cwd, prepare=None):
    """Times `cmd` and `base` back to back `runs` times, alternating which
    goes first. Returns (median cmd time, median base time, ratios)."""
    times, base_times, ratios = [], [], []
    for i in range(runs):
        if i % 2 == 0:
            b = timed(base, cwd, prepare)
            t = timed(cmd, cwd, prepare)
        else:
            t = timed(cmd, cwd, prepare)
            b = timed(base, cwd, prepare)
        times.append(t)
        base_times.append(b)
        ratios.append(t / b)
    return (statistics.median(times), statistics.median(base_times),
            sorted(ratios))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("florrin", nargs="?", default="build/app/florrin")
    parser.add_argument("--records", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--only", nargs="+", metavar="NAME",
                        help="time only these commands, named without "
                        "dashes (e.g. list filter)")
    args = parser.parse_args()
    exe = os.path.abspath(args.florrin)
    if not os.access(exe, os.X_OK):
        sys.exit("no florrin binary at %s (build it first)" % exe)

    work = tempfile.mkdtemp(prefix="florrin-bench-")
    try:
        master = os.path.join(work, "master")
        db = os.path.join(work, "db")
        generate(master, args.records)
        size_mb = os.path.getsize(master) / 1e6
        shutil.copyfile(master, db)
        first, last = title(0), title(args.records - 1)

        def fresh():
            # The copy leaves 44 MB for the disk to write, and the file it
            # replaces to be freed; waiting for that here keeps it from
            # being charged to the rewrite timed next.
            shutil.copyfile(master, db)
            os.sync()

        print("catalogue: %d records, %.1f MB; %d interleaved pairs each" % (
            args.records, size_mb, args.runs))
        print("grep: %s (output to a pipe); durable copy: %s" % (
            " ".join(GREP), " ".join(DURABLE_COPY[:5])))
        print("%-14s %8s %8s %9s %7s %7s  %s" % (
            "command", "ms", "base ms", "baseline", "ratio", "target",
            "ratio spread (min-max)"))

        def report(name, cmd, base_name, target, prepare=None):
            if args.only and name.lstrip("-") not in args.only:
                return
            base = GREP if base_name == "grep" else DURABLE_COPY
            t, b, ratios = pairs(args.runs, [exe] + cmd, base, work, prepare)
            ratio = statistics.median(ratios)
            print("%-14s %8.1f %8.1f %9s %7.2f %6.1fx  %.2f-%.2f%s" % (
                name, t * 1e3, b * 1e3, base_name, ratio, target, ratios[0],
                ratios[-1], "" if ratio <= target else "  (over target)"))

        report("--get", ["--get", last, "Type"], "grep", 2)
        report("--printrec", ["--printrec", last], "grep", 2)
        report("--filter", ["--filter", "Genre", "drama"], "grep", 1.5)
        report("--list", ["--list"], "grep", 1.5)
        report("--listbyname", ["--listbyname"], "grep", 3)
        report("--edit", ["--edit", first, "plot", "new plot"], "copy", 2,
               fresh)
        report("--change", ["--change", first] + ["v"] * 11, "copy", 2,
               fresh)
        report("--del", ["--del", first], "copy", 2, fresh)
        report("--add", ["--add", "New movie"] + ["v"] * 11, "grep", 2,
               fresh)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
