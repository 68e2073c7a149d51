#!/usr/bin/env python3
"""Times every catalogue command on a large catalogue against one-pass
baselines over the same file, and prints the ratios.

Usage: bench/catalogue/run.py [path/to/florrin] [--records N] [--runs N]
                              [--only NAME ...]   (NAME as in: list filter)
                              [--titles words|sorted|both]
                              [--against path/to/other/florrin]

Builds nothing: pass the florrin binary (default build/app/florrin). The
catalogue is generated in a temporary folder that is removed afterwards.

Two catalogues, alike but for their titles: "words", titles of random words
in the random order a user adds movies in (the one the targets hold for),
and "sorted", titles "Movie 000000", "Movie 000001", ... already in sorted
order and alike in their first six bytes, the best case for --listbyname.
Both are generated from fixed seeds, the same on every run.

Each command is timed in interleaved rounds with its baseline (the two run
back to back, in turning order), so that load from other work on the
machine falls on both; the figures are medians over the rounds, and the
spread of the ratios shows how noisy the run was. The command's own CPU
time (user and system) against the baseline's, a median of the rounds'
ratios, is printed beside: load from other work disturbs it less, though
the wall-clock ratio is what the targets are set in. With --against, a
second binary runs in the same rounds, so that two builds compare under the
same load.
"""
import argparse
import os
import random
import resource
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

# Words of film titles, for the "words" catalogue: common ones several times,
# so that titles share first words (and first bytes) as real ones do.
TITLE_WORDS = """
the the the the a a of of of in in and and to on at for with from my
love love night night day day man man woman girl boy city city war war
last last first dark dark black white red blue gold silver dead death life
time time world world king queen prince lord lady house home road river
sea ocean island mountain desert forest garden street town country star
stars sun moon sky storm rain snow fire ice wind heart soul blood bone
stone iron steel glass dream dreams shadow shadows secret secrets story
tale legend return rise fall end beginning edge line point way path
journey escape chase hunt game games rules law justice crime murder
killer thief spy agent soldier captain doctor teacher friend friends
brother brothers sister sisters father mother son daughter family wedding
funeral party dinner summer winter spring autumn morning evening midnight
hour hours days years century empire kingdom republic nation army ship
train plane car bridge tower castle palace church school hotel station
room door window mirror picture letter book song music dance voice
silence noise light lights fear hope truth lies lie promise chance luck
money fortune power glory honour revenge mercy grace wild lost found
broken hidden silent little big great small long short young old new
good bad beautiful strange perfect final deep high low hard cold hot
sweet bitter lonely happy wicked holy sacred savage gentle brave true
false american french english italian german london paris rome tokyo
berlin vegas hollywood texas california new york china africa mars
""".split()
SMALL_WORDS = {"the", "a", "of", "in", "and", "to", "on", "at", "for",
               "with", "from"}
# How many words a title has, 1 to 7, and how often.
TITLE_LENGTHS = [1, 2, 3, 4, 5, 6, 7]
TITLE_LENGTH_WEIGHTS = [15, 28, 24, 15, 9, 5, 4]


def word_title(rng):
    n = rng.choices(TITLE_LENGTHS, TITLE_LENGTH_WEIGHTS)[0]
    words = []
    for i in range(n):
        # No two small words in a row, and none last.
        small_ok = i < n - 1 and (i == 0 or words[-1] not in SMALL_WORDS)
        w = rng.choice(TITLE_WORDS)
        while w in SMALL_WORDS and not small_ok:
            w = rng.choice(TITLE_WORDS)
        words.append(w)
    if n > 1 and words[0] not in SMALL_WORDS and rng.random() < 0.1:
        words.insert(0, "the")
    text = " ".join(w if i > 0 and w in SMALL_WORDS else w.capitalize()
                    for i, w in enumerate(words))
    r = rng.random()
    if r < 0.04:
        text += " " + rng.choice(["2", "3", "II", "III", "Part II"])
    elif r < 0.11:
        text += ": " + " ".join(
            rng.choice(TITLE_WORDS).capitalize()
            for _ in range(rng.randint(2, 4)))
    return text


def titles(kind, records):
    """The records' titles, in file order: "sorted" as "Movie 000000", ...;
    "words" random, and distinct, as one user's catalogue mostly is."""
    if kind == "sorted":
        return ["Movie %06d" % i for i in range(records)]
    rng = random.Random(11)
    seen, names = set(), []
    while len(names) < records:
        name = word_title(rng)
        if name not in seen:
            seen.add(name)
            names.append(name)
    return names


def movie_block(name, rng):
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
        ("pic", name.replace(":", "_") + ".jpg"),
        ("Act", ", ".join(text(2).title() for _ in range(4))),
        ("Genre", ", ".join(rng.sample(GENRES, 2))),
        ("Type", rng.choice(["DVD", "VHS", "file"])),
    ]
    return "\n\n[" + name + "]" + "".join(
        "\n%s=%s" % kv for kv in fields)


def generate(path, names):
    # The same seed for either set of titles: the records differ only there.
    rng = random.Random(7)
    with open(path, "w", newline="\n") as f:
        f.write(HEADER)
        for name in names:
            f.write(movie_block(name, rng))


def child_cpu():
    use = resource.getrusage(resource.RUSAGE_CHILDREN)
    return use.ru_utime + use.ru_stime


def timed(cmd, cwd, prepare):
    """Runs `cmd`; returns its wall-clock time and its own CPU time (user
    and system), which other work on the machine disturbs less."""
    if prepare:
        prepare()
    cpu = child_cpu()
    start = time.perf_counter()
    subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, check=True)
    return time.perf_counter() - start, child_cpu() - cpu


def rounds(runs, cmds, base, cwd, prepare=None):
    """Times `base` and each of `cmds` back to back, `runs` rounds, turning
    the order round by round so that each goes first as often. Returns the
    median base time and, for each command, (median time, sorted ratios to
    the base of its own round, median ratio of CPU times in the round)."""
    base_times = []
    times = [[] for _ in cmds]
    ratios = [[] for _ in cmds]
    cpu_ratios = [[] for _ in cmds]
    order = [None] + list(range(len(cmds)))
    for r in range(runs):
        shift = r % len(order)
        took = {}
        for k in order[shift:] + order[:shift]:
            took[k] = timed(base if k is None else cmds[k], cwd, prepare)
        base_times.append(took[None][0])
        for k in range(len(cmds)):
            times[k].append(took[k][0])
            ratios[k].append(took[k][0] / took[None][0])
            # CPU times are counted in ticks: a baseline may show none.
            cpu_ratios[k].append(took[k][1] / max(took[None][1], 1e-3))
    return statistics.median(base_times), [
        (statistics.median(t), sorted(q), statistics.median(c))
        for t, q, c in zip(times, ratios, cpu_ratios)]


def pairs(runs, cmd, base, cwd, prepare=None):
    """One command against `base` in interleaved rounds: its median time,
    the base's median time and the sorted ratios of each round."""
    b, [(t, ratios, _)] = rounds(runs, [cmd], base, cwd, prepare)
    return t, b, ratios


def bench(kind, args, exes):
    work = tempfile.mkdtemp(prefix="florrin-bench-")
    try:
        master = os.path.join(work, "master")
        db = os.path.join(work, "db")
        names = titles(kind, args.records)
        generate(master, names)
        size_mb = os.path.getsize(master) / 1e6
        shutil.copyfile(master, db)
        first, last = names[0], names[-1]

        def fresh():
            # The copy leaves 44 MB for the disk to write, and the file it
            # replaces to be freed; waiting for that here keeps it from
            # being charged to the rewrite timed next.
            shutil.copyfile(master, db)
            os.sync()

        print()
        print("catalogue %s: %d records, %.1f MB, titles %.1f bytes on "
              "average; %d interleaved rounds each" % (
                  kind, args.records, size_mb,
                  sum(len(n) for n in names) / len(names), args.runs))
        print("%-20s %8s %8s %9s %7s %7s  %-22s %s" % (
            "command", "ms", "base ms", "baseline", "ratio", "target",
            "ratio spread (min-max)", "cpu ratio"))

        def report(name, cmd, base_name, target, prepare=None):
            if args.only and name.lstrip("-") not in args.only:
                return
            base = GREP if base_name == "grep" else DURABLE_COPY
            b, results = rounds(args.runs, [[exe] + cmd for exe, _ in exes],
                                base, work, prepare)
            for (_, label), (t, ratios, cpu) in zip(exes, results):
                ratio = statistics.median(ratios)
                spread = "%.2f-%.2f" % (ratios[0], ratios[-1])
                print("%-20s %8.1f %8.1f %9s %7.2f %6.1fx  %-22s %9.2f%s" % (
                    name + label, t * 1e3, b * 1e3, base_name, ratio, target,
                    spread, cpu, "" if ratio <= target else "  (over target)"))

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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("florrin", nargs="?", default="build/app/florrin")
    parser.add_argument("--records", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--only", nargs="+", metavar="NAME",
                        help="time only these commands, named without "
                        "dashes (e.g. list filter)")
    parser.add_argument("--titles", choices=["words", "sorted", "both"],
                        default="both", help="which catalogue (default both)")
    parser.add_argument("--against", metavar="FLORRIN",
                        help="another florrin binary (an older build, say) "
                        "timed in the same rounds, its lines marked (other)")
    args = parser.parse_args()
    exes = [(os.path.abspath(args.florrin), "")]
    if args.against:
        exes.append((os.path.abspath(args.against), " (other)"))
    for exe, _ in exes:
        if not os.access(exe, os.X_OK):
            sys.exit("no florrin binary at %s (build it first)" % exe)

    print("grep: %s (output to a pipe); durable copy: %s" % (
        " ".join(GREP), " ".join(DURABLE_COPY[:5])))
    print("targets hold for the words catalogue; ratios are medians of the "
          "ratios to the baseline run in the same round")
    for kind in (["words", "sorted"] if args.titles == "both"
                 else [args.titles]):
        bench(kind, args, exes)


if __name__ == "__main__":
    main()
