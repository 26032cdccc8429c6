#!/usr/bin/python3
"""Checks that variable projection reaches the least sum of squares.

Fits the forty traces of examples/picosecond with three components from the
three starts t = (2, 20, 50), (10, 100, 250) and (0.4, 4, 10), once with
`quorvane-fit --method varpro` (30 iterations at most) and once with SciPy's
least_squares (MINPACK's Levenberg-Marquardt) on the same model: every trace's
offset and amplitudes and the three shared log-rates -ln(t), the analytic
Jacobian, tolerances at their floor, starting from the same time constants
with the least-squares offsets and amplitudes for them. Prints both sums of
squares and time constants and whether the sums agree to 9 significant
digits.

Not part of the tests: it needs Debian's python3-scipy
(`scripts/deps.sh python3-scipy`) and runs with /usr/bin/python3.

    scripts/compare_with_scipy.py [path/to/quorvane-fit]
"""

import glob
import os
import subprocess
import sys

import numpy as np
from scipy.optimize import least_squares

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
STARTS = ((2.0, 20.0, 50.0), (10.0, 100.0, 250.0), (0.4, 4.0, 10.0))


def load_traces():
    files = sorted(glob.glob(os.path.join(ROOT, "examples", "picosecond", "*.txt")))
    traces = [np.loadtxt(name) for name in files]
    return files, [t[:, 0] for t in traces], [t[:, 1] for t in traces]


def basis(times, rates):
    return np.column_stack([np.ones_like(times)] + [np.exp(-times * w) for w in rates])


def residuals_and_jacobian(x, times, values, n):
    """x = [offset, A_1..A_n] per trace, then the n log-rates."""
    curves = len(times)
    log_rates = x[curves * (n + 1):]
    rates = np.exp(log_rates)
    points = sum(len(t) for t in times)
    r = np.empty(points)
    jacobian = np.zeros((points, x.size))
    row = 0
    for c, (t, y) in enumerate(zip(times, values)):
        block = x[c * (n + 1):(c + 1) * (n + 1)]
        phi = basis(t, rates)
        rows = slice(row, row + len(t))
        r[rows] = phi @ block - y
        jacobian[rows, c * (n + 1):(c + 1) * (n + 1)] = phi
        for j in range(n):
            jacobian[rows, curves * (n + 1) + j] = -block[1 + j] * t * rates[j] * phi[:, 1 + j]
        row += len(t)
    return r, jacobian


def least_squares_fit(times, values, start):
    """SciPy's least_squares from `start` with the least-squares offsets and amplitudes."""
    n = len(start)
    rates = 1.0 / np.array(start)
    x0 = []
    for t, y in zip(times, values):
        x0.extend(np.linalg.lstsq(basis(t, rates), y, rcond=None)[0])
    x0 = np.array(x0 + list(np.log(rates)))
    result = least_squares(
        lambda x: residuals_and_jacobian(x, times, values, n)[0], x0,
        jac=lambda x: residuals_and_jacobian(x, times, values, n)[1],
        method="lm", ftol=2.3e-16, xtol=2.3e-16, gtol=2.3e-16, max_nfev=2000)
    return result


def scipy_fit(times, values, start):
    n = len(start)
    result = least_squares_fit(times, values, start)
    ssr = float(np.sum(result.fun ** 2))
    return ssr, sorted(np.exp(-result.x[-n:])), result.nfev


def quorvane_fit(program, files, start):
    arguments = [program, "--method", "varpro", "-n", "3", "-i", "30"]
    for k, t in enumerate(start, 1):
        arguments += ["--t%d" % k, repr(t)]
    run = subprocess.run(arguments + files, capture_output=True, text=True, check=True,
                         env=dict(os.environ, LC_ALL="C"))
    lines = run.stdout.splitlines()
    ssr = float(next(line for line in lines if line.startswith("SSR = "))[6:])
    constants = sorted(float(line.split(" = ")[1]) for line in lines[:3])
    return ssr, constants, run.stderr.strip().splitlines()[-1]


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        ROOT, "build", "release", "src", "cli", "quorvane-fit")
    files, times, values = load_traces()
    agreed = True
    for start in STARTS:
        ours, our_constants, verdict = quorvane_fit(program, files, start)
        theirs, their_constants, evaluations = scipy_fit(times, values, start)
        same = "%.8e" % ours == "%.8e" % theirs
        agreed = agreed and same
        print("start %s" % (start,))
        print("  quorvane-fit --method varpro  SSR %.15g  t %s  (%s)" % (
            ours, " ".join("%.6g" % t for t in our_constants), verdict))
        print("  SciPy least_squares (lm)      SSR %.15g  t %s  (%d evaluations)" % (
            theirs, " ".join("%.6g" % t for t in their_constants), evaluations))
        print("  same to 9 significant digits: %s" % ("yes" if same else "NO"))
    sys.exit(0 if agreed else 1)


if __name__ == "__main__":
    main()
