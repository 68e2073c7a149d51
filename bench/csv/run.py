#!/usr/bin/env python3
"""Times --import of 10,000 CSV rows (no credential, so no request: one
write, one lock, one sync) into the 100,000-record benchmark catalogue, and
--export of that catalogue, each against one durable copy of the catalogue
(dd bs=1M conv=fsync) measured in the same run, in interleaved pairs.

Usage: bench/csv/run.py [path/to/florrin] [--records N] [--rows N] [--runs N]

The target for the import is at most 2 times the durable copy.
"""
import argparse
import csv
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "catalogue"))
import run as catalogue  # noqa: E402  (the catalogue's generator)


def write_rows(path, rows):
    """A CSV as --export writes it, rows of new titles with ids and text."""
    rng = random.Random(11)
    words = catalogue.WORDS
    with open(path, "w", newline="", encoding="utf-8-sig") as f:
        w = csv.writer(f, lineterminator="\r\n")
        w.writerow(["Title", "Year", "Directors", "tmdbID", "imdbID", "Runtime",
                    "Genres", "Cast", "Rate", "Plot", "Tagline", "Comments",
                    "Type", "Poster"])
        for i in range(rows):
            def text(n):
                return " ".join(rng.choice(words) for _ in range(n))
            w.writerow(["Imported %06d" % i, str(rng.randint(1920, 2025)),
                        text(2).title(), str(900000 + i), "tt%08d" % (5000000 + i),
                        "%d min" % rng.randint(70, 200),
                        ", ".join(rng.sample(catalogue.GENRES, 2)),
                        " - " + " - ".join(text(2).title() for _ in range(4)),
                        "%.1f/10" % rng.uniform(1, 10), text(34), text(8),
                        text(5), rng.choice(["DVD", "VHS", "file"]), ""])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("florrin", nargs="?", default="build/app/florrin")
    parser.add_argument("--records", type=int, default=100000)
    parser.add_argument("--rows", type=int, default=10000)
    parser.add_argument("--runs", type=int, default=9)
    args = parser.parse_args()
    exe = os.path.abspath(args.florrin)
    if not os.access(exe, os.X_OK):
        sys.exit("no florrin binary at %s (build it first)" % exe)
    work = tempfile.mkdtemp(prefix="florrin-csv-bench-")
    try:
        master = os.path.join(work, "master")
        db = os.path.join(work, "db")
        catalogue.generate(master, catalogue.titles("words", args.records))
        write_rows(os.path.join(work, "rows.csv"), args.rows)
        shutil.copyfile(master, db)

        def fresh():
            shutil.copyfile(master, db)
            os.sync()

        # The import must have added every row.
        fresh()
        out = subprocess.run([exe, "--import", "rows.csv"], cwd=work,
                             stdout=subprocess.PIPE, check=True).stdout
        if out.count(b"|") != args.rows or not out.endswith(b"!ok!"):
            sys.exit("the import did not add every row: %r" % out[-200:])

        print("catalogue: %d records, %.1f MB; CSV: %d rows, %.1f MB; "
              "%d interleaved pairs each" % (
                  args.records, os.path.getsize(master) / 1e6, args.rows,
                  os.path.getsize(os.path.join(work, "rows.csv")) / 1e6,
                  args.runs))
        print("%-10s %8s %8s %7s %7s  %s" % ("command", "ms", "copy ms",
                                           "ratio", "target",
                                           "ratio spread (min-max)"))
        for name, cmd, target in [
                ("--import", [exe, "--import", "rows.csv"], 2.0),
                ("--export", [exe, "--export", "out.csv"], None)]:
            t, b, ratios = catalogue.pairs(args.runs, cmd,
                                           catalogue.DURABLE_COPY, work, fresh)
            ratio = statistics.median(ratios)
            print("%-10s %8.1f %8.1f %7.2f %7s  %.2f-%.2f%s" % (
                name, t * 1e3, b * 1e3, ratio,
                "%.1fx" % target if target else "-", ratios[0], ratios[-1],
                "  (over target)" if target and ratio > target else ""))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
