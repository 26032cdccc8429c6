// The polynomials of erfcx(x) = e^(x^2) erfc(x) for x >= 0 (how they are
// used and their errors: erfc_kernel.h). Written by
// scripts/generate_erfcx_table.py into erfcx_table.cpp.
#pragma once

namespace quorvane {

inline constexpr int kErfcxDegree = 10;
inline constexpr int kErfcxTailDegree = 8;
inline constexpr int kErfcxPieceCount = 145;
// Binades [2^e, 2^(e+1)) with their own pieces: e = -6..3.
inline constexpr int kErfcxFirstBinade = -6;
inline constexpr int kErfcxBinadeCount = 10;
// Where the tail's form 1 + v T(v) takes over.
inline constexpr long double kErfcxTailStart = 16.0L;

// A polynomial in d = x - centre: coefficients [0] + [1] = its constant
// term (high and low part), [1 + j] its coefficient of d^j, j = 1..10.
struct ErfcxPiece {
    long double centre;
    long double coefficients[kErfcxDegree + 2];
};

// Binade e's pieces are kErfcxPieces[first .. first + 2^bits - 1], the
// equal parts of [2^e, 2^(e+1)) in increasing order; piece 0 is [0, 2^-6)
// with centre 0.
struct ErfcxBinade {
    int first;
    int bits;
};

alignas(64) extern const ErfcxPiece kErfcxPieces[kErfcxPieceCount];
extern const ErfcxBinade kErfcxBinades[kErfcxBinadeCount];
// T(v), v = 1/x^2 in [0, 1/256]: coefficient of v^j at [j].
extern const long double kErfcxTail[kErfcxTailDegree + 1];

}  // namespace quorvane
