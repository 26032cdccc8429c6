#!/usr/bin/python3
"""Fits data sets by variable projection from many starts and counts how the fits end.

Usage: scripts/start_sweep.py [--fit QUORVANE_FIT] [--reference QUORVANE_FIT]
                              [--iterations N] [--extra "OPTIONS"] [--sets NAME,...]

Data sets: the examples (time constants 5e-6, 1e-4, 3e-3), the picosecond examples
(1.8, 21, 50) and three made here on purpose into a temporary folder (fixed seeds, the
same bits on every run): "four" (1.5, 12, 20, 300 ps, the last weak), "five" (0.8, 5,
9, 60, 110, the last weak), "fiveclose" (0.5, 3, 5, 40, 70, noisier). Each set is
fitted with its own number of components from 20 starts: the true time constants times
one factor, log-spaced from 0.01 to 100 (16 starts), and 4 mixed starts (each time
constant its own factor). For every fit program (--fit, and --reference when given,
e.g. a build without the splitting of merged components) it prints per set: the runs
that ended in an error (must be 0), and the runs that reached the lowest minimum, a
sum of squares within 1e-6 relative of the lowest one over all runs of that set by
either program. --extra passes more options to quorvane-fit (e.g. "--search").
"""

import argparse
import math
import os
import random
import shlex
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def band(w, centre, width):
    return math.exp(-(((w - centre) / width) ** 2))


# name: (time constants, amplitude bands (height, centre, width, shift) per component,
# noise sigma, seed)
MADE = {
    "four": ((1.5, 12.0, 20.0, 300.0),
             ((0.03, 480, 60, -0.01), (-0.025, 560, 70, 0.005), (0.02, 650, 80, -0.008),
              (0.004, 700, 90, 0.0)), 2e-4, 7),
    "five": ((0.8, 5.0, 9.0, 60.0, 110.0),
             ((0.03, 450, 60, -0.01), (-0.025, 520, 70, 0.005), (0.02, 600, 80, -0.008),
              (0.015, 680, 60, 0.0), (0.003, 740, 90, -0.001)), 2e-4, 7),
    "fiveclose": ((0.5, 3.0, 5.0, 40.0, 70.0),
                  ((0.03, 450, 60, -0.01), (-0.025, 520, 70, 0.005), (0.02, 540, 80, -0.004),
                   (0.015, 680, 60, 0.0), (0.002, 700, 90, -0.001)), 5e-4, 11),
}


def make_set(folder, taus, bands, noise, seed, points=300, first=0.1, last=2000.0):
    """40 traces 400..790 nm, times log-spaced first..last, written with 9 digits."""
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(seed)
    step = math.log10(last / first) / (points - 1)
    grid = [float("%.9g" % (first * 10 ** (i * step))) for i in range(points)]
    for i in range(40):
        w = 400 + 10 * i
        amps = [h * band(w, c, wd) + s for h, c, wd, s in bands]
        with open(os.path.join(folder, "%d.txt" % w), "w") as out:
            for t in grid:
                v = 0.001 + sum(a * math.exp(-t / tau) for a, tau in zip(amps, taus))
                out.write("%.9g %.9g\n" % (t, v + rng.gauss(0.0, noise)))
    return sorted(os.path.join(folder, f) for f in os.listdir(folder))


def starts(taus):
    """16 common factors 0.01..100, then 4 mixed starts (seeded)."""
    result = [[t * 10 ** (-2 + 4 * k / 15) for t in taus] for k in range(16)]
    rng = random.Random(5)
    for _ in range(4):
        result.append([t * 10 ** rng.uniform(-2, 2) for t in taus])
    return result


def fit(program, files, start, iterations, extra):
    args = [program, "--method", "varpro", "-n", str(len(start)), "-i", str(iterations)]
    for j, t in enumerate(start, 1):
        args += ["--t%d" % j, "%.6g" % t]
    run = subprocess.run(args + extra + files, capture_output=True, text=True)
    if run.returncode != 0:
        return None, run.stderr.strip().splitlines()[-1:] or ["exit %d" % run.returncode]
    ssr = [l for l in run.stdout.splitlines() if l.startswith("SSR = ")]
    verdict = run.stderr.strip().splitlines()
    return float(ssr[0].split()[2]), verdict[-1:] or [""]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--fit", default=os.path.join(ROOT, "build/cc/src/cli/quorvane-fit"))
    parser.add_argument("--reference", default="")
    parser.add_argument("--iterations", type=int, default=50)
    parser.add_argument("--extra", default="")
    parser.add_argument("--sets", default="examples,picosecond," + ",".join(MADE))
    options = parser.parse_args()
    extra = shlex.split(options.extra)
    programs = [("fit", options.fit)] + ([("reference", options.reference)]
                                         if options.reference else [])
    folder = tempfile.mkdtemp(prefix="start_sweep.")
    sets = {
        "examples": ((5e-6, 1e-4, 3e-3), sorted(
            os.path.join(ROOT, "examples", f) for f in os.listdir(os.path.join(ROOT, "examples"))
            if f.endswith(".txt"))),
        "picosecond": ((1.8, 21.0, 50.0), sorted(
            os.path.join(ROOT, "examples/picosecond", f)
            for f in os.listdir(os.path.join(ROOT, "examples/picosecond")))),
    }
    for name, (taus, bands, noise, seed) in MADE.items():
        sets[name] = (taus, make_set(os.path.join(folder, name), taus, bands, noise, seed))
    for name in options.sets.split(","):
        taus, files = sets[name]
        results = {label: [fit(program, files, s, options.iterations, extra)
                           for s in starts(taus)] for label, program in programs}
        sums = [s for runs in results.values() for s, _ in runs if s is not None]
        lowest = min(sums) if sums else float("nan")
        for label, runs in results.items():
            errors = sum(1 for s, _ in runs if s is None)
            best = sum(1 for s, _ in runs if s is not None and s <= lowest * (1 + 1e-6))
            split = sum(1 for s, v in runs if s is not None and "split again" in v[0])
            merged = sum(1 for s, v in runs if s is not None and "fit fewer" in v[0])
            print("%-10s %-9s: %d errors, %2d of %d at the lowest S %.9g; verdict: %d split,"
                  " %d still merged" % (name, label, errors, best, len(runs), lowest, split,
                                        merged))
            for s, v in runs:
                if s is None:
                    print("    error: %s" % v[0])
        sys.stdout.flush()


if __name__ == "__main__":
    main()
