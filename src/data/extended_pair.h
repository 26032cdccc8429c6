// Error-free transformations of extended numbers: a sum or a product of two
// extended numbers as an unevaluated sum high + low of two, exactly. They
// carry intermediate results beyond 64 bits where a rounding would cost
// more than the final result may lose (erfc_kernel.h, fit/response_basis.h).
//
// Exactness needs round to nearest and no overflow or underflow inside:
// twoProduct splits its factors into 32 + 32 bits (Dekker), which is exact
// for factors below 2^16350 in magnitude whose product and its rounding
// error, about 2^-64 of it, are normal numbers (above 2^-16382).
#pragma once

namespace quorvane {

struct ExtendedPair {
    long double high;
    long double low;
};

// high + low = a + b exactly, any finite a and b (Knuth).
inline ExtendedPair twoSum(long double a, long double b) {
    const long double high = a + b;
    const long double bPart = high - a;
    return {high, (a - (high - bPart)) + (b - bPart)};
}

// high + low = a + b exactly, for |a| >= |b| or a = 0 (Dekker).
inline ExtendedPair fastTwoSum(long double a, long double b) {
    const long double high = a + b;
    return {high, b - (high - a)};
}

// high + low = a, high with the leading 32 bits of a's significand.
inline ExtendedPair splitExtended(long double a) {
    const long double scaled = 0x1.00000001p32L * a;  // 2^32 + 1
    const long double high = scaled - (scaled - a);
    return {high, a - high};
}

// high + low = a * b exactly (see above), with b already split.
inline ExtendedPair twoProduct(long double a, long double b, const ExtendedPair& bSplit) {
    const long double high = a * b;
    const ExtendedPair aSplit = splitExtended(a);
    const long double low = (((aSplit.high * bSplit.high - high) + aSplit.high * bSplit.low) +
                             aSplit.low * bSplit.high) +
                            aSplit.low * bSplit.low;
    return {high, low};
}

inline ExtendedPair twoProduct(long double a, long double b) {
    return twoProduct(a, b, splitExtended(b));
}

// high + low = a * a exactly.
inline ExtendedPair twoSquare(long double a) {
    const long double high = a * a;
    const ExtendedPair aSplit = splitExtended(a);
    const long double cross = aSplit.high * aSplit.low;
    const long double low =
        ((aSplit.high * aSplit.high - high) + (cross + cross)) + aSplit.low * aSplit.low;
    return {high, low};
}

}  // namespace quorvane
