#!/usr/bin/env python3
"""Times every catalogue command on a large catalogue against one-pass
baselines over the same file, and prints the ratios.

Usage: bench/catalogue/run.py [path/to/florrin] [--records N] [--runs N]

Builds nothing: pass the florrin binary (default build/app/florrin). The
catalogue is generated in a temporary folder that is removed afterwards.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

HEADER = "1.0.0-TALVERO_sTxtDB\n"
GENRES = ["Drama", "Comedy", "Action", "Thriller", "Romance", "Horror",
          "Documentary", "Animation", "Crime", "Western"]
WORDS = ("the a man woman city night war love story of in and returns last "
         "first journey home secret dark light river king queen").split()


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


def best_of(runs, cmd, cwd, prepare=None):
    best = None
    for _ in range(runs):
        if prepare:
            prepare()
        start = time.perf_counter()
        # Output goes to a pipe, as for a calling program: GNU grep stops at
        # the first match when its output is /dev/null.
        subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, check=True)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("florrin", nargs="?", default="build/app/florrin")
    parser.add_argument("--records", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=9)
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
            # being charged to the rewrite timed next (it made the rewrite's
            # own flush take up to twice as long).
            shutil.copyfile(master, db)
            os.sync()

        grep = best_of(args.runs, ["grep", "-c", r"^\[", "db"], work)
        cp = best_of(args.runs, ["cp", "db", "db.copy"], work)
        # The rewrites flush their copy to the disk before putting it in
        # place; this baseline pays the same.
        cp_sync = best_of(args.runs, ["sh", "-c", "cp db db.copy && "
                                      "sync -d db.copy"], work)
        print("catalogue: %d records, %.1f MB" % (args.records, size_mb))
        print("baselines: grep -c %.1f ms, cp %.1f ms, cp+sync %.1f ms" % (
            grep * 1e3, cp * 1e3, cp_sync * 1e3))
        print("%-14s %9s %9s %7s %7s" % ("command", "ms", "baseline", "ratio",
                                         "target"))

        def report(name, cmd, base_name, base, target, prepare=None):
            t = best_of(args.runs, [exe] + cmd, work, prepare)
            ratio = t / base
            extra = ""
            if base_name == "cp":
                extra = "  (%.2f vs cp+sync)" % (t / cp_sync)
            print("%-14s %9.1f %9s %7.2f %6.0fx%s%s" % (
                name, t * 1e3, base_name, ratio, target,
                "" if ratio <= target else "  (over target)", extra))

        report("--get", ["--get", last, "Type"], "grep", grep, 2)
        report("--printrec", ["--printrec", last], "grep", grep, 2)
        report("--filter", ["--filter", "Genre", "drama"], "grep", grep, 2)
        report("--list", ["--list"], "grep", grep, 2)
        report("--listbyname", ["--listbyname"], "grep", grep, 3)
        report("--edit", ["--edit", first, "plot", "new plot"], "cp", cp, 2,
               fresh)
        report("--change", ["--change", first] + ["v"] * 11, "cp", cp, 2,
               fresh)
        report("--del", ["--del", first], "cp", cp, 2, fresh)
        report("--add", ["--add", "New movie"] + ["v"] * 11, "grep", grep, 2,
               fresh)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
