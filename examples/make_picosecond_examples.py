#!/usr/bin/env python3
"""Writes the picosecond example traces of Quorvane.

Transient-absorption data as they are often recorded: forty kinetic traces, one per
probe wavelength from 400 to 790 nm in steps of 10 nm, each with 300 times spaced
evenly on a logarithmic axis from 0.3 to 1000 (picoseconds), the sum of three
exponential decays with the time constants 1.8, 21 and 50 shared by every trace (the
last two within a factor of 2.4 of each other), a constant offset, wavelength-dependent
amplitudes (smooth Gaussian bands of the wavelength) and seeded Gaussian noise of
sigma 2e-4.

    examples/picosecond/<wavelength>.txt

File format: one "time signal" line per point, the two numbers separated by one blank
and written with 9 significant digits, LF line ends.

Standard library only (and the helpers of make_examples.py beside it); the output is the
same on every run.
"""

import math
import os
import random

from make_examples import band, write_trace

WAVELENGTHS = tuple(range(400, 800, 10))
TIME_CONSTANTS = (1.8, 21.0, 50.0)
POINTS = 300
FIRST_TIME = 0.3
LAST_TIME = 1000.0
NOISE_SIGMA = 2e-4
SEED = 1521


def amplitudes(wavelength):
    """Amplitudes of the components with time constants 1.8, 21 and 50."""
    return (
        0.030 * band(wavelength, 480.0, 60.0) - 0.010,
        -0.025 * band(wavelength, 560.0, 70.0) + 0.005,
        0.020 * band(wavelength, 650.0, 80.0) - 0.008,
    )


def offset(wavelength):
    """The constant offset: a slow baseline over the wavelength."""
    return 0.001 + 2e-6 * (wavelength - 600.0)


def times():
    step = math.log10(LAST_TIME / FIRST_TIME) / (POINTS - 1)
    return [FIRST_TIME * 10.0 ** (i * step) for i in range(POINTS)]


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "picosecond")
    os.makedirs(folder, exist_ok=True)
    noise = random.Random(SEED)
    grid = [float("%.9g" % t) for t in times()]
    for wavelength in WAVELENGTHS:
        points = []
        for time in grid:
            value = offset(wavelength)
            for amplitude, constant in zip(amplitudes(wavelength), TIME_CONSTANTS):
                value += amplitude * math.exp(-time / constant)
            points.append((time, value + noise.gauss(0.0, NOISE_SIGMA)))
        write_trace(os.path.join(folder, "%d.txt" % wavelength), points)


if __name__ == "__main__":
    main()
