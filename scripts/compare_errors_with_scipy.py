#!/usr/bin/python3
"""Checks quorvane-fit's standard errors against a SciPy fit of the same model.

Fits the five traces of examples/ with three components from t = (1e-5,
2e-4, 1e-3), once with `quorvane-fit --method varpro` and once with SciPy's
least_squares on the model of compare_with_scipy.py (every trace's offset
and amplitudes and the shared log-rates, the analytic Jacobian, tolerances
at their floor). At SciPy's minimum it forms s^2 (J^T J)^-1 with
s^2 = S/(m - N) and prints, beside the Errors section's figures, the
standard errors of every time constant (t_j SE(ln k_j)), offset and
amplitude and the correlations of the ln t_j, and whether all agree to the
6 significant digits printed (relative difference below 1e-5).

Not part of the tests; runs with /usr/bin/python3 (python3-scipy).

    scripts/compare_errors_with_scipy.py [path/to/quorvane-fit]
"""

import glob
import os
import subprocess
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare_with_scipy import least_squares_fit, residuals_and_jacobian  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
START = (1e-5, 2e-4, 1e-3)


def scipy_errors(times, values):
    n = len(START)
    result = least_squares_fit(times, values, START)
    r, jacobian = residuals_and_jacobian(result.x, times, values, n)
    m, N = jacobian.shape
    covariance = float(r @ r) / (m - N) * np.linalg.inv(jacobian.T @ jacobian)
    se = np.sqrt(np.diag(covariance))
    curves = len(times)
    log_rates = result.x[curves * (n + 1):]
    rate_block = covariance[curves * (n + 1):, curves * (n + 1):]
    correlation = rate_block / np.sqrt(np.outer(np.diag(rate_block), np.diag(rate_block)))
    return {
        "t": np.exp(-log_rates),
        "t_se": np.exp(-log_rates) * se[curves * (n + 1):],
        "coefficients": se[:curves * (n + 1)].reshape(curves, n + 1),
        "correlation": correlation,
    }


def quorvane_errors(program, files):
    arguments = [program, "--method", "varpro", "-n", "3"]
    for k, t in enumerate(START, 1):
        arguments += ["--t%d" % k, repr(t)]
    run = subprocess.run(arguments + files, capture_output=True, text=True, check=True,
                         env=dict(os.environ, LC_ALL="C"))
    lines = run.stdout.splitlines()
    at = lines.index("Errors")
    n = len(START)
    rows = lines[at + 2:at + 2 + n]
    t = np.array([float(line.split(" = ")[1].split(" +- ")[0]) for line in rows])
    t_se = np.array([float(line.split(" +- ")[1]) for line in rows])
    correlation = np.array([[float(v) for v in line.split("\t")[1:]]
                            for line in lines[at + 3 + n:at + 3 + 2 * n]])
    coefficients = np.array([[float(v) for v in line.split("\t")[1:]]
                             for line in lines[at + 4 + 2 * n:at + 4 + 2 * n + len(files)]])
    return {"t": t, "t_se": t_se, "coefficients": coefficients, "correlation": correlation}


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        ROOT, "build", "release", "src", "cli", "quorvane-fit")
    files = sorted(glob.glob(os.path.join(ROOT, "examples", "*.txt")))
    traces = [np.loadtxt(name) for name in files]
    ours = quorvane_errors(program, files)
    theirs = scipy_errors([t[:, 0] for t in traces], [t[:, 1] for t in traces])
    # Both in ascending time constants (the fits may order them differently).
    order_ours, order_theirs = np.argsort(ours["t"]), np.argsort(theirs["t"])
    agreed = True

    def compare(name, a, b, absolute=False):
        nonlocal agreed
        difference = np.abs(a - b) if absolute else np.abs(a - b) / np.abs(b)
        same = bool(np.all(difference < (5e-6 if absolute else 1e-5)))
        agreed = agreed and same
        print("%-28s largest %s difference %.2e  %s" % (
            name, "absolute" if absolute else "relative", difference.max(),
            "same" if same else "DIFFERENT"))

    for j in range(len(START)):
        print("t = %.6e  SE quorvane-fit %.6e  SciPy %.6e" % (
            theirs["t"][order_theirs[j]], ours["t_se"][order_ours[j]],
            theirs["t_se"][order_theirs[j]]))
    compare("SE of the time constants", ours["t_se"][order_ours], theirs["t_se"][order_theirs])
    columns_ours = np.concatenate(([0], 1 + order_ours))
    columns_theirs = np.concatenate(([0], 1 + order_theirs))
    compare("SE of offsets and amplitudes", ours["coefficients"][:, columns_ours],
            theirs["coefficients"][:, columns_theirs])
    compare("correlations of the ln t",
            ours["correlation"][np.ix_(order_ours, order_ours)],
            theirs["correlation"][np.ix_(order_theirs, order_theirs)], absolute=True)
    print("agree to 6 significant digits: %s" % ("yes" if agreed else "NO"))
    sys.exit(0 if agreed else 1)


if __name__ == "__main__":
    main()
