#!/usr/bin/env python3
"""Processor time of builds of sizgen, run by run in turn, for each mode.

    bench/paired_cpu_time.py REPS LABEL=BINARY[@MODE]... -- MODE...

Each MODE (run, check, report, json, explain, fit, diff, annotate, format)
is run REPS times on each of three decks: examples/typical.deck, 1,000
DEFAULT cards then that deck, and 1,000 cards of ten kinds in turn then
that deck.  The programs take turns in a random order each repetition, so
that a busy machine disturbs them alike; each run is a new process in a
directory of its own (a plain run writes its files there), the deck on
standard input, standard output and error on /dev/null.  What is measured
is the processor time of the child (user and system), which other work on
the machine disturbs less than the wall time.  A program given as
BINARY@MODE always runs that mode, to compare two modes of one build.
Prints per mode and deck the median of each program and, for each program
after the first, the ratio of its median to the first's and the quartiles
of the ratios of the runs taken in the same repetition.
"""
import os
import random
import statistics
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TYPICAL = os.path.join(ROOT, "examples", "typical.deck")
MODES = {"run": [], "check": ["--check"], "report": ["--report"], "json": ["--json"],
         "explain": ["--explain=all"], "fit": ["--fit=2MiB"], "diff": ["--diff=" + TYPICAL],
         "annotate": ["--annotate"], "format": ["--format"]}
MIXED = ["C  a comment card\n", "DEFAULT      1.5\n", "SCALE    1.1\n", "CARDS      500\n",
         "NBHDSW   4.0\n", "ROUND UP    4096\n", "FIXED      1 1 1\n", "SCALE 2.0\n",
         "RAM TABLES\n", "NBHDSW   4 0\n"]


def write_decks(directory):
    typical = open(TYPICAL).read()
    decks = {"typical": typical, "defaults1000": "DEFAULT      1.5\n" * 1000 + typical,
             "mixed1000": "".join(MIXED[i % 10] for i in range(1000)) + typical}
    for name, text in decks.items():
        with open(os.path.join(directory, name + ".deck"), "w") as deck:
            deck.write(text)
    return [os.path.join(directory, name + ".deck") for name in decks]


def cpu_time(binary, mode, deck, cwd, devnull):
    if "@" in binary:
        binary, mode = binary.split("@")
    argv = [binary] + MODES[mode]
    fd = os.open(deck, os.O_RDONLY)
    pid = os.fork()
    if pid == 0:
        try:
            os.chdir(cwd)
            os.dup2(fd, 0)
            os.dup2(devnull, 1)
            os.dup2(devnull, 2)
            os.execv(binary, argv)
        finally:
            os._exit(127)
    _, status, usage = os.wait4(pid, 0)
    os.close(fd)
    if not os.WIFEXITED(status) or os.WEXITSTATUS(status) not in (0, 1):
        sys.exit(f"{' '.join(argv)} < {deck} ended with status {status}")
    return usage.ru_utime + usage.ru_stime


def main():
    if "--" not in sys.argv[2:]:
        sys.exit(__doc__)
    reps = int(sys.argv[1])
    separator = sys.argv.index("--")
    programs = []
    for argument in sys.argv[2:separator]:
        label, binary = argument.split("=", 1)
        programs.append((label, os.path.abspath(binary)))
    devnull = os.open(os.devnull, os.O_RDWR)
    scratch = tempfile.mkdtemp(prefix="paired-")
    for mode in sys.argv[separator + 1:]:
        for deck in write_decks(scratch):
            dirs = {label: tempfile.mkdtemp(dir=scratch) for label, _ in programs}
            times = {label: [] for label, _ in programs}
            for _ in range(reps):
                for label, binary in random.sample(programs, len(programs)):
                    times[label].append(cpu_time(binary, mode, deck, dirs[label], devnull))
            first = programs[0][0]
            line = [f"{mode:9s} {os.path.basename(deck):18s}"]
            line += [f"{label}={statistics.median(times[label]) * 1e3:.3f}ms" for label, _ in programs]
            for label, _ in programs[1:]:
                ratios = [a / b for a, b in zip(times[label], times[first]) if b > 0]
                quartiles = statistics.quantiles(ratios, n=4)
                ratio = statistics.median(times[label]) / statistics.median(times[first])
                line.append(f"{label}/{first}={ratio:.3f} (runs {quartiles[0]:.2f}-{quartiles[2]:.2f})")
            print("  ".join(line), flush=True)


if __name__ == "__main__":
    main()
