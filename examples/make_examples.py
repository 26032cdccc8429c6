#!/usr/bin/env python3
"""Writes the synthetic example traces of Quorvane.

Five kinetic traces, one per probe wavelength (400, 450, 500, 550 and 600 nm),
each the sum of three exponential decays with the time constants
5e-6, 1e-4 and 3e-3 (in the units of the time column) shared by every trace,
a constant offset, and wavelength-dependent amplitudes: smooth Gaussian bands
of the wavelength in nanometres. Each trace holds 500 times spaced evenly on
a logarithmic axis from 1e-7 to 1.

    examples/<wavelength>.txt            with seeded Gaussian noise (sigma 5e-4)
    examples/noiseless/<wavelength>.txt  the same traces without noise

File format: one "time signal" line per point, the two numbers separated by
one blank and written with 9 significant digits, LF line ends.

Standard library only; the output is the same on every run.
"""

import math
import os
import random

WAVELENGTHS = (400, 450, 500, 550, 600)
TIME_CONSTANTS = (5e-6, 1e-4, 3e-3)
POINTS = 500
FIRST_TIME = 1e-7
LAST_TIME = 1.0
NOISE_SIGMA = 5e-4
SEED = 450


def band(wavelength, centre, width):
    """A Gaussian band of height 1 centred at `centre` nm."""
    return math.exp(-(((wavelength - centre) / width) ** 2))


def amplitudes(wavelength):
    """Amplitudes of the components with time constants 5e-6, 1e-4, 3e-3."""
    return (
        0.08 * band(wavelength, 450.0, 80.0) - 0.02,
        -0.06 * band(wavelength, 530.0, 70.0) - 0.015,
        0.05 * band(wavelength, 600.0, 80.0) - 0.02,
    )


def offset(wavelength):
    """The constant offset: a slow baseline over the wavelength."""
    return 0.002 + 1e-5 * (wavelength - 500.0)


def times():
    step = math.log10(LAST_TIME / FIRST_TIME) / (POINTS - 1)
    return [FIRST_TIME * 10.0 ** (i * step) for i in range(POINTS)]


def signal(wavelength, time):
    value = offset(wavelength)
    for amplitude, constant in zip(amplitudes(wavelength), TIME_CONSTANTS):
        value += amplitude * math.exp(-time / constant)
    return value


def write_trace(path, points):
    with open(path, "w", encoding="ascii", newline="\n") as out:
        for time, value in points:
            out.write("%.9g %.9g\n" % (time, value))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    noiseless = os.path.join(here, "noiseless")
    os.makedirs(noiseless, exist_ok=True)
    noise = random.Random(SEED)
    for wavelength in WAVELENGTHS:
        # The times exactly as written, so that both files of a wavelength
        # and their model values refer to the same times.
        grid = [float("%.9g" % t) for t in times()]
        clean = [(t, signal(wavelength, t)) for t in grid]
        noisy = [(t, v + noise.gauss(0.0, NOISE_SIGMA)) for t, v in clean]
        write_trace(os.path.join(noiseless, "%d.txt" % wavelength), clean)
        write_trace(os.path.join(here, "%d.txt" % wavelength), noisy)
        print(
            "%d nm: offset %.6g, amplitudes %s"
            % (wavelength, offset(wavelength), ", ".join("%.6g" % a for a in amplitudes(wavelength)))
        )


if __name__ == "__main__":
    main()
