// A time x wavelength measurement as spectrometers write it: the signal at
// every delay time and every probe wavelength of one run.
//
// KineticMatrix is the bare grid: times (rows) and wavelengths (columns), in
// the order of the file, and the values time-major, so that row t holds the
// spectrum at times[t]: value(t, w) = values[t * wavelengths.size() + w].
// Measurement adds where it came from and in which units it was read.
//
// Units: times are the file's own (ps, ns, s ...), never scaled. Wavelengths
// are in nanometres, or in wavenumbers (cm^-1) when the file says so; they
// are kept as read, never converted.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quorvane {

enum class WavelengthUnit { Nanometre, Wavenumber };

// "nm" or "cm^-1".
const char* wavelengthUnitText(WavelengthUnit unit);

struct KineticMatrix {
    std::vector<double> times;
    std::vector<double> wavelengths;
    std::vector<double> values;  // times.size() * wavelengths.size(), time-major

    std::size_t timeCount() const { return times.size(); }
    std::size_t wavelengthCount() const { return wavelengths.size(); }
    double value(std::size_t time, std::size_t wavelength) const {
        return values[time * wavelengths.size() + wavelength];
    }
};

// The two layouts of a matrix file (matrix_file.h), and how a delimited file
// is turned into times and wavelengths:
//   TimesDown:   times down the first column, wavelengths across the first row;
//   TimesAcross: times across the first row, wavelengths down the first column.
// Auto asks for the stated rule of matrix_orientation.h.
enum class MatrixFormat { GlotaranTimeExplicit, GlotaranWavelengthExplicit, Delimited };
enum class Orientation { Auto, TimesDown, TimesAcross };

struct Measurement {
    std::string path;   // as given to the reader
    std::string title;  // the file name without its folder
    MatrixFormat format = MatrixFormat::Delimited;
    Orientation orientation = Orientation::TimesDown;  // as applied, never Auto
    WavelengthUnit unit = WavelengthUnit::Nanometre;
    KineticMatrix matrix;
};

}  // namespace quorvane
