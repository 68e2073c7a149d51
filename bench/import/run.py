#!/usr/bin/env python3
"""Measures what one import through the movie service costs Florrin itself:
its own CPU time apart from the downloader's, and the requests it makes.

Usage: bench/import/run.py [path/to/florrin] [--runs N]

Builds nothing: pass the florrin binary (default build/app/florrin). It
starts the local site with its API stand-in (tests/site/site.py), runs each
import N times (default 15) in a fresh folder with a fresh catalogue, and
prints per import the median of Florrin's own CPU time (user + system) and
the requests the site saw. The target is under 20 ms of CPU per import.

Florrin's own time is the CPU time of its process and everything it waited
for, less that of the downloader: wget runs through a bash wrapper that adds
the CPU time of itself and of wget (bash's "times") to a file. What is left
is Florrin's: starting, reading settings and the catalogue, reading the
answers, writing the record.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SITE = os.path.join(ROOT, "tests", "site", "site.py")
FIXTURES = os.path.join(ROOT, "tests", "fixtures", "site")
HEADER = "1.0.0-TALVERO_sTxtDB\n"
TOKEN = "test-token-7f3a"  # the stand-in's test credential

IMPORTS = [
    ("--autoadd by title", ["--autoadd", "Inception"]),
    ("--urladd by movie id", ["--urladd", "Inception", "/movie/27205"]),
    ("--urladd by IMDb id", ["--urladd", "Inception", "tt1375666"]),
    ("--printsearch", ["--printsearch", "Inception"]),
]


def seconds(text):
    """Seconds of a bash "times" figure such as 0m0.012s."""
    minutes, _, rest = text.partition("m")
    return int(minutes) * 60 + float(rest.rstrip("s"))


def downloader_cpu(path):
    """Sum of the CPU times bash's "times" wrote to `path`."""
    total = 0.0
    if os.path.exists(path):
        with open(path) as f:
            for line in f:
                for figure in line.split():
                    total += seconds(figure)
    return total


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("florrin", nargs="?",
                        default=os.path.join(ROOT, "build", "app", "florrin"))
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()
    florrin = os.path.abspath(args.florrin)
    wget = shutil.which("wget")
    if not wget:
        sys.exit("wget is not installed")

    work = tempfile.mkdtemp(prefix="florrin-import-bench-")
    site = None
    try:
        log = os.path.join(work, "requests.log")
        site = subprocess.Popen([sys.executable, SITE, "--root", FIXTURES,
                                 "--log", log], stdout=subprocess.PIPE)
        port = int(site.stdout.readline())
        bin_dir = os.path.join(work, "bin")
        os.mkdir(bin_dir)
        times_file = os.path.join(work, "downloader-times")
        with open(os.path.join(bin_dir, "wget"), "w") as f:
            f.write('#!/bin/bash\n"%s" "$@"\nrc=$?\ntimes >> "%s"\nexit $rc\n'
                    % (wget, times_file))
        os.chmod(os.path.join(bin_dir, "wget"), 0o755)
        home = os.path.join(work, "home")
        os.mkdir(home)
        env = {k: v for k, v in os.environ.items()
               if not k.startswith("FLORRIN_") and
               k not in ("XDG_CONFIG_HOME", "APPDATA", "WGETRC") and
               not k.lower().endswith("_proxy")}
        env.update({"HOME": home, "PATH": bin_dir + ":" + env.get("PATH", ""),
                    "http_proxy": "http://127.0.0.1:%d" % port,
                    "FLORRIN_TMDB_TOKEN": TOKEN,
                    "FLORRIN_TMDB_API": "http://api.tmdb.test/3",
                    "FLORRIN_TMDB_IMAGES": "http://image.tmdb.test/t/p/"})

        print("Import through the movie service (local stand-in), %d runs each"
              % args.runs)
        print("%-22s %10s %10s %12s %9s  %s" % (
            "import", "own CPU", "max", "with wget", "requests", "answer"))
        for name, words in IMPORTS:
            cpu, whole, counts, answers = [], [], set(), set()
            for _ in range(args.runs):
                folder = os.path.join(work, "catalogue")
                shutil.rmtree(folder, ignore_errors=True)
                os.mkdir(folder)
                with open(os.path.join(folder, "db"), "w") as f:
                    f.write(HEADER)
                for path in (times_file, log):
                    if os.path.exists(path):
                        os.remove(path)
                proc = subprocess.Popen([florrin] + words, cwd=folder, env=env,
                                        stdout=subprocess.PIPE)
                out = proc.stdout.read().decode("utf-8", "replace")
                _, _, usage = os.wait4(proc.pid, 0)
                total = usage.ru_utime + usage.ru_stime
                cpu.append(total - downloader_cpu(times_file))
                whole.append(total)
                with open(log) as f:
                    counts.add(sum(1 for _ in f))
                answers.add(out if len(out) < 20 else out[:17] + "...")
            print("%-22s %8.1f ms %7.1f ms %9.1f ms %9s  %s" % (
                name, statistics.median(cpu) * 1000, max(cpu) * 1000,
                statistics.median(whole) * 1000,
                "/".join(str(c) for c in sorted(counts)),
                " ".join(sorted(answers))))
        print("Target: under 20 ms of Florrin's own CPU per import; at most 3 "
              "requests per --autoadd and per --urladd by IMDb id, 2 by movie id.")
    finally:
        if site is not None:
            site.terminate()
            site.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
