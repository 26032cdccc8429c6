#!/usr/bin/python3
"""How well quorvane-fit's standard errors and 95 % profile intervals describe
the scatter of the fitted time constants over repeated noise.

Simulates three exponentials (time constants 1, 10, 100) on 10 traces of 300
times spaced evenly in log t from 0.05 to 2000, each trace with its own
offset and amplitudes, plus Gaussian noise of one sigma at every point (1 %
of the largest amplitude). For each of SEEDS noise seeds it runs

    quorvane-fit -n 3 -i 200 --t1 1 --t2 10 --t3 100 --method varpro --intervals FILES

from the true time constants and reads, for every t_j, the fitted value and
its standard error (the Errors section's "tj = value +- se") and the 95 %
interval ("tj = value in [lower, upper]"). It prints, for each t_j:

  - the mean reported SE over the standard deviation of the fitted values
    (should be within 15 % of 1);
  - the fraction of seeds whose interval contains the true value (should be
    93-97 %; with 200 seeds its own standard deviation is 1.5 %).

Exit status 1 when a figure is outside its range. Not part of the tests;
runs with /usr/bin/python3 (numpy).

    scripts/coverage_study.py [path/to/quorvane-fit] [SEEDS]
"""

import os
import re
import subprocess
import sys
import tempfile

import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TRUE = (1.0, 10.0, 100.0)
TRACES = 10
POINTS = 300
SIGMA = 0.01

LINE = re.compile(r"^t(\d) = (\S+) (\+- (\S+)|in \[(<? ?)(\S+), (>? ?)(\S+)\])$")


def write_traces(folder, seed):
    generator = np.random.default_rng(seed)
    times = np.logspace(np.log10(0.05), np.log10(2000.0), POINTS)
    files = []
    for c in range(TRACES):
        amplitudes = (0.6 + 0.04 * c, -0.3 + 0.05 * c, 0.4 - 0.02 * c)
        values = 0.01 * c + sum(a * np.exp(-times / t) for a, t in zip(amplitudes, TRUE))
        values = values + generator.normal(0.0, SIGMA, POINTS)
        name = os.path.join(folder, "%d.txt" % (400 + 10 * c))
        with open(name, "w") as out:
            for t, y in zip(times, values):
                out.write("%.17g %.17g\n" % (t, y))
        files.append(name)
    return files


def run_fit(program, files):
    arguments = [program, "-n", "3", "-i", "200", "--t1", "1", "--t2", "10", "--t3", "100",
                 "--method", "varpro", "--intervals"] + files
    environment = dict(os.environ, LC_ALL="C")
    text = subprocess.run(arguments, check=True, capture_output=True, text=True,
                          env=environment).stdout
    errors = text[text.index("\nErrors\n"):]
    fitted, se, interval = {}, {}, {}
    for line in errors.splitlines():
        match = LINE.match(line)
        if not match:
            continue
        j = int(match.group(1))
        fitted[j] = float(match.group(2))
        if match.group(4) is not None:
            se[j] = float(match.group(4))
        else:
            lower = 0.0 if match.group(5) else float(match.group(6))
            upper = np.inf if match.group(7) else float(match.group(8))
            interval[j] = (lower, upper)
    return fitted, se, interval


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        ROOT, "build", "cc", "src", "cli", "quorvane-fit")
    seeds = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    fitted = {j: [] for j in (1, 2, 3)}
    se = {j: [] for j in (1, 2, 3)}
    covered = {j: 0 for j in (1, 2, 3)}
    with tempfile.TemporaryDirectory() as folder:
        for seed in range(1, seeds + 1):
            values, errors, intervals = run_fit(program, write_traces(folder, seed))
            for j in (1, 2, 3):
                fitted[j].append(values[j])
                se[j].append(errors[j])
                lower, upper = intervals[j]
                covered[j] += lower <= TRUE[j - 1] <= upper
    print("%d seeds, %d traces x %d points, sigma %g" % (seeds, TRACES, POINTS, SIGMA))
    print("t   true    mean fitted  sd fitted    mean SE      SE/sd   coverage")
    good = True
    for j in (1, 2, 3):
        sd = float(np.std(fitted[j], ddof=1))
        ratio = float(np.mean(se[j])) / sd
        coverage = covered[j] / seeds
        good = good and abs(ratio - 1.0) <= 0.15 and 0.93 <= coverage <= 0.97
        print("t%d  %-6g  %-11.6g  %-11.4g  %-11.4g  %.3f   %.3f" %
              (j, TRUE[j - 1], np.mean(fitted[j]), sd, np.mean(se[j]), ratio, coverage))
    print("within the ranges" if good else "OUTSIDE the ranges (SE/sd 0.85-1.15, coverage 0.93-0.97)")
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
