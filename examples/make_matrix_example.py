#!/usr/bin/env python3
"""Writes the matrix example of Quorvane: one transient-absorption measurement
as spectrometers write it, a time x wavelength matrix in one CSV file.

    examples/matrix/transient_absorption.csv

The measurement: 301 probe wavelengths from 400 to 700 nm in steps of 1 nm
across the first row, 250 delay times (in picoseconds) down the first column:
10 delays before time zero, evenly from -2 to -0.2, where the pump has not yet
arrived and the signal is noise alone, then 240 delays spaced evenly on a
logarithmic axis from 0.2 to 2000. From time zero on the signal is the sum of
three exponential decays with the time constants 1.5, 25 and 400 ps shared by
every wavelength, each with a spectrum of its own (sums of Gaussian bands of
the wavelength), a small constant offset, and a narrow band of pump scatter at
525 nm present at every delay. Seeded Gaussian noise of sigma 2e-4 is added
to every cell.

So the file shows what the choice of traces is for: the delays before time
zero are left out with a time window (0.2 to 2000), the scatter with an
excluded band (515 to 535 nm), and the 280 remaining wavelengths are averaged
into bins to fit into the workspace's 40 traces.

File format: a header row whose first cell is a label and whose other cells
are the wavelengths, then one row per delay: the delay and the 301 signals,
comma separated, numbers with 6 significant digits, LF line ends.

Standard library only (and the helpers of make_examples.py beside it); the output is the same on every run.
"""

import math
import os
import random

from make_examples import band

WAVELENGTHS = [400 + w for w in range(301)]
TIME_CONSTANTS = (1.5, 25.0, 400.0)
EARLY_DELAYS = 10
LOG_DELAYS = 240
FIRST_LOG_DELAY = 0.2
LAST_LOG_DELAY = 2000.0
SCATTER_CENTRE = 525.0
NOISE_SIGMA = 2e-4
SEED = 525


def spectra(wavelength):
    """The amplitudes of the 1.5, 25 and 400 ps components at a wavelength:
    a hot band that cools, a bleach with stimulated emission, a long-lived
    absorption."""
    return (
        0.012 * band(wavelength, 470.0, 35.0) - 0.006 * band(wavelength, 560.0, 30.0),
        -0.010 * band(wavelength, 540.0, 40.0) + 0.004 * band(wavelength, 640.0, 45.0),
        0.006 * band(wavelength, 600.0, 70.0),
    )


def offset(wavelength):
    return 2e-4 + 1e-3 * band(wavelength, SCATTER_CENTRE, 3.0)


def delays():
    early = [-2.0 + i * (1.8 / (EARLY_DELAYS - 1)) for i in range(EARLY_DELAYS)]
    step = math.log10(LAST_LOG_DELAY / FIRST_LOG_DELAY) / (LOG_DELAYS - 1)
    late = [FIRST_LOG_DELAY * 10.0 ** (i * step) for i in range(LOG_DELAYS)]
    return early + late


def signal(wavelength, delay):
    value = offset(wavelength)
    if delay >= 0.0:
        for amplitude, constant in zip(spectra(wavelength), TIME_CONSTANTS):
            value += amplitude * math.exp(-delay / constant)
    return value


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.join(here, "matrix")
    os.makedirs(folder, exist_ok=True)
    noise = random.Random(SEED)
    path = os.path.join(folder, "transient_absorption.csv")
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write("Time (ps) / Wavelength (nm)," + ",".join(str(w) for w in WAVELENGTHS) + "\n")
        for delay in delays():
            cells = ["%.6g" % delay]
            for wavelength in WAVELENGTHS:
                cells.append("%.6g" % (signal(wavelength, delay) + noise.gauss(0.0, NOISE_SIGMA)))
            out.write(",".join(cells) + "\n")
    print("%s: %d delays x %d wavelengths, %d bytes"
          % (path, EARLY_DELAYS + LOG_DELAYS, len(WAVELENGTHS), os.path.getsize(path)))


if __name__ == "__main__":
    main()
