#!/usr/bin/python3
"""Cross-checks quorvane-fit's instrument-response fit against SciPy.

Simulates ultrafast traces with the Gaussian-response model (three
components of 0.3, 20 and 500 ps, FWHM 0.12 ps, time zero 0.4 ps at 550 nm
with a second-order chirp, times -1..1000 ps, noise), writes them as trace
files, fits them with quorvane-fit (--method varpro --irf ... --dispersion 2)
and with scipy.optimize.least_squares on the variable-projection residual
(the linear coefficients by numpy's least squares, the response by
scipy.special.erfcx), and compares the sums of squared residuals, which must
agree to 9 significant digits. Not part of CI; run on demand:

    scripts/response_crosscheck.py BUILD_DIR/src/cli/quorvane-fit
"""
import math
import os
import re
import subprocess
import sys
import tempfile

import numpy as np
from scipy.optimize import least_squares
from scipy.special import erfc, erfcx

TAUS = (0.3, 20.0, 500.0)
FWHM, CENTRE, C1, C2, REFERENCE = 0.12, 0.4, 0.3, 0.15, 550.0
FWHM_PER_SIGMA = 2.0 * math.sqrt(2.0 * math.log(2.0))


def basis(rate, centre, sigma, t):
    """The exponential of `rate` convolved with the unit-area Gaussian."""
    u = (t - centre) / (sigma * math.sqrt(2.0))
    a = rate * sigma / math.sqrt(2.0)
    z = a - u
    out = np.empty_like(t)
    ahead = z > 0
    out[ahead] = 0.5 * erfcx(z[ahead]) * np.exp(-u[ahead] ** 2)
    behind = ~ahead
    out[behind] = 0.5 * np.exp(a * a - 2.0 * a * u[behind]) * erfc(z[behind])
    return out


def times():
    linear = [-1.0 + 3.0 * i / 80 for i in range(80)]
    log = [2.0 * 500.0 ** (i / 119) for i in range(120)]
    return np.array(linear + log)


def wavelengths(count=8):
    return [400.0 + 300.0 * k / (count - 1) for k in range(count)]


def centre_of(wavelength, centre, c1, c2):
    p = (wavelength - REFERENCE) / 100.0
    return centre + c1 * p + c2 * p * p


def simulate(directory):
    rng = np.random.default_rng(7)
    t = times()
    for wavelength in wavelengths():
        p = (wavelength - REFERENCE) / 100.0
        amplitudes = (1.0 + 0.5 * math.cos(3.0 * p), -0.6 + 0.3 * p, 0.4 - 0.1 * p * p)
        mu = centre_of(wavelength, CENTRE, C1, C2)
        sigma = FWHM / FWHM_PER_SIGMA
        y = 0.002 + sum(A * basis(1.0 / tau, mu, sigma, t) for A, tau in zip(amplitudes, TAUS))
        y = y + 2e-3 * rng.standard_normal(t.size)
        with open(os.path.join(directory, "%d.txt" % round(wavelength)), "w") as out:
            for ti, yi in zip(t, y):
                out.write("%.17g %.17g\n" % (ti, yi))


def read_traces(directory):
    traces = []
    for name in sorted(os.listdir(directory)):
        data = np.loadtxt(os.path.join(directory, name))
        traces.append((float(name[:3]), data[:, 0], data[:, 1]))
    return traces


def residual(x, traces):
    rates = np.exp(x[:3])
    centre, fwhm, c1, c2 = x[3:]
    sigma = fwhm / FWHM_PER_SIGMA
    reference = np.mean([w for w, _, _ in traces])
    parts = []
    for wavelength, t, y in traces:
        p = (wavelength - reference) / 100.0
        mu = centre + c1 * p + c2 * p * p
        phi = np.column_stack([np.ones_like(t)] + [basis(k, mu, sigma, t) for k in rates])
        coefficients = np.linalg.lstsq(phi, y, rcond=None)[0]
        parts.append(y - phi @ coefficients)
    return np.concatenate(parts)


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else "build/cc/src/cli/quorvane-fit"
    with tempfile.TemporaryDirectory() as directory:
        simulate(directory)
        files = sorted(os.path.join(directory, f) for f in os.listdir(directory))
        run = subprocess.run(
            [program, "--method", "varpro", "-n", "3", "-i", "200", "--t1", "0.9", "--t2", "60",
             "--t3", "1500", "--irf", "0.18,0.6", "--dispersion", "2"] + files,
            capture_output=True, text=True, check=True)
        ours = float(re.search(r"^SSR = (\S+)$", run.stdout, re.M).group(1))
        fitted = dict(re.findall(r"^(mu0|FWHM|c1|c2) = (\S+)", run.stdout, re.M))
        taus = [float(v) for v in re.findall(r"^t[123] = (\S+)$", run.stdout, re.M)]
        traces = read_traces(directory)

    x0 = np.array([-math.log(0.9), -math.log(60.0), -math.log(1500.0), 0.6, 0.18, 0.0, 0.0])
    fit = least_squares(residual, x0, args=(traces,), method="lm", xtol=1e-15, ftol=1e-15,
                        gtol=1e-15, max_nfev=20000)
    theirs = float(np.sum(fit.fun ** 2))
    at_ours = float(np.sum(residual(np.array(
        [-math.log(t) for t in taus] + [float(fitted[k]) for k in ("mu0", "FWHM", "c1", "c2")]),
        traces) ** 2))
    digits = -math.log10(abs(ours - theirs) / theirs) if ours != theirs else float("inf")
    print("quorvane-fit SSR      %.15g" % ours)
    print("SciPy fit SSR         %.15g" % theirs)
    print("SciPy at our result   %.15g (time constants as printed, 6 digits)" % at_ours)
    print("agreement             %.1f significant digits" % digits)
    return 0 if digits >= 9 else 1


if __name__ == "__main__":
    sys.exit(main())
