#include "fit/convergence_verdict.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "data/floating_point.h"
#include "data/number_text.h"
#include "data/workspace.h"
#include "fit/curve_projection.h"
#include "fit/response_projection.h"

namespace quorvane {

namespace {

// 100 * fraction: whole from 10 on, else 2 significant digits; the
// program's decimal separator.
std::string percentText(long double fraction) {
    const long double percent = 100.0L * fraction;
    char text[32];
    std::snprintf(text, sizeof text, percent >= 10.0L ? "%.0Lf" : "%.2Lg", percent);
    std::string result = text;
    for (char& ch : result)
        if (ch == '.')
            ch = decimalSeparator();
    return result;
}

// |k_i - k_j| / sqrt(||R^-T (e_i - e_j)||^2): the distance of two log-rates
// in standard errors of their difference, times the residual standard
// deviation (the covariance of the log-rates is s2 (R^T R)^-1). R has full
// rank.
long double separation(const TrustRegionSystem& R, const long double* logRates, int i, int j) {
    long double z[kMaxTrustRegionParameters] = {};
    long double norm = 0.0L;
    for (int q = 0; q < R.size; ++q) {
        long double sum = (q == i - 1 ? 1.0L : 0.0L) - (q == j - 1 ? 1.0L : 0.0L);
        for (int p = 0; p < q; ++p)
            sum = sum - R.triangle[p][q] * z[p];
        z[q] = sum / R.triangle[q][q];
        norm = norm + z[q] * z[q];
    }
    return fabsl(logRates[i] - logRates[j]) / sqrtl(norm);
}

// Components that the data cannot tell apart: a basis column that depended
// on the others in some curve, a log-rate without a pivot in R, and pairs of
// log-rates less than two standard errors of their difference apart, the
// closest pair (in standard errors) first, each component in one pair at
// most (so that a component the data hardly fix does not pair with all).
void markIndistinguishable(const Projection& projection, const long double* logRates, int n,
                           long double variance, bool* marked) {
    const TrustRegionSystem& R = projection.system;
    bool fullRank = true;
    for (int j = 1; j <= n; ++j) {
        marked[j] = projection.indistinguishable[j];
        fullRank = fullRank && R.triangle[j - 1][j - 1] != 0.0L;
    }
    if (!fullRank) {
        for (int j = 1; j <= n; ++j)
            marked[j] = marked[j] || R.triangle[j - 1][j - 1] == 0.0L;
        return;
    }
    const long double limit = 2.0L * sqrtl(variance);
    for (;;) {
        int closestI = 0;
        int closestJ = 0;
        long double closest = limit;
        for (int i = 1; i <= n; ++i) {
            for (int j = i + 1; j <= n; ++j) {
                if (marked[i] || marked[j])
                    continue;
                const long double distance = separation(R, logRates, i, j);
                if (distance <= closest) {
                    closest = distance;
                    closestI = i;
                    closestJ = j;
                }
            }
        }
        if (closestI == 0)
            return;
        marked[closestI] = marked[closestJ] = true;
    }
}

// "t2 and t3" for a pair, pairs joined by ", ".
std::string pairList(const ComponentPair* pairs, int count) {
    std::string list;
    for (int p = 0; p < count; ++p) {
        list += (p > 0 ? ", t" : "t") + std::to_string(pairs[p].first) + " and t" +
                std::to_string(pairs[p].second);
    }
    return list;
}

// The components of the pairs that stayed merged are named by their own
// note, not again among those the data cannot tell apart.
std::string indistinguishableNote(bool* marked, int n, const MergedComponents& merged) {
    std::string note;
    if (merged.splitCount > 0)
        note += "; " + pairList(merged.split, merged.splitCount) + " merged and were split again";
    for (int p = 0; p < merged.mergedCount; ++p)
        marked[merged.merged[p].first] = marked[merged.merged[p].second] = false;
    const std::string list = componentList(marked, n);
    if (!list.empty())
        note += "; " + list + " cannot be told apart by the data";
    if (merged.mergedCount > 0) {
        note += "; " + pairList(merged.merged, merged.mergedCount) +
                " merged into one time constant, and splitting them again did not lower the "
                "sum of squares: fit fewer components";
    }
    return note;
}

// The largest entry of -R^-1 Q^T r (back substitution, 0 for a column
// without a pivot), entries from `rateCount` on (the response's, in units of
// time) divided by `responseUnit`.
long double largestGaussNewtonStep(const TrustRegionSystem& system, int rateCount,
                                   long double responseUnit) {
    long double step[kMaxTrustRegionParameters] = {};
    long double largest = 0.0L;
    for (int j = system.size - 1; j >= 0; --j) {
        if (system.triangle[j][j] == 0.0L)
            continue;
        long double sum = 0.0L;
        for (int l = j + 1; l < system.size; ++l)
            sum = sum + system.triangle[j][l] * step[l];
        step[j] = (-system.projectedResidual[j] - sum) / system.triangle[j][j];
        largest = fmaxl(largest, fabsl(j < rateCount ? step[j] : step[j] / responseUnit));
    }
    return largest;
}

std::string notConvergedMessage(const FitRecord& record, long double expectedFall,
                                long double sum) {
    std::string message = "Not converged: the sum of squares ";
    const RecentSums& recent = record.recentSums;
    if (recent.count() > 0) {
        const long double earliest = recent.earliest();
        const long double fall = earliest > 0.0L ? (earliest - record.finalSum) / earliest : 0.0L;
        message += "fell " + percentText(fall) + " % in the last " +
                   std::to_string(recent.count()) +
                   (recent.count() == 1 ? " iteration and " : " iterations and ");
    }
    const long double share = sum > 0.0L ? expectedFall / sum : 0.0L;
    message += "could fall about " + percentText(share) + " % further";
    // At merged components another Start stops where this one did.
    if (record.mergedComponents.mergedCount > 0)
        return message;
    message += ". Press Start again, or ";
    message += record.method == FitMethod::Classic ? "use Variable projection"
                                                   : "raise the number of iterations";
    return message;
}

}  // namespace

std::string componentList(const bool* marked, int n) {
    std::string list;
    int remaining = 0;
    for (int j = 1; j <= n; ++j)
        remaining += marked[j] ? 1 : 0;
    for (int j = 1; j <= n; ++j) {
        if (!marked[j])
            continue;
        --remaining;
        list += 't';
        list += std::to_string(j);
        if (remaining > 1)
            list += ", ";
        else if (remaining == 1)
            list += " and ";
    }
    return list;
}

void RecentSums::record(long double sumAtIterationStart) {
    sums_[next_] = sumAtIterationStart;
    next_ = (next_ + 1) % kRecentIterations;
    if (count_ < kRecentIterations)
        ++count_;
}

long double RecentSums::earliest() const {
    return sums_[(next_ - count_ + kRecentIterations) % kRecentIterations];
}

FitVerdict judgeFit(const FitRecord& record) {
    const int n = workspace.componentCount;
    long double logRates[kMaxComponents + 1] = {};
    for (int j = 1; j <= n; ++j)
        logRates[j] = workspace.ParameterVector[rateIndex(j)];
    // With the instrument response, its parameters are judged too, their
    // steps relative to the FWHM, and the step amplitudes count.
    const auto responseProjection = std::make_unique<ResponseProjection>();
    Projection* const projection = &responseProjection->projection;
    int parameterCount = fittedParameterCount();
    long double responseUnit = 1.0L;
    if (responseInUse()) {
        long double x[kMaxTrustRegionParameters] = {};
        for (int j = 1; j <= n; ++j)
            x[j - 1] = logRates[j];
        responseParametersToVector(responseModel, x + n);
        projectWithResponse(responseModel, x, workspace.ParameterVector, *responseProjection);
        parameterCount = responseFittedParameterCount();
        responseUnit = responseModel.fwhm;
    } else {
        projectCurves(logRates, workspace.ParameterVector, *projection);
    }

    FitVerdict verdict;
    if (!projection->valid) {
        verdict.message = "Not judged: a floating-point fault at the fitted time constants";
        return verdict;
    }
    verdict.judged = true;

    long double rateFall = 0.0L;
    for (int j = 0; j < projection->system.size; ++j)
        rateFall = rateFall + projection->system.projectedResidual[j] *
                                  projection->system.projectedResidual[j];
    verdict.expectedFall = projection->coefficientExcess + rateFall;
    const long free = projection->pointCount - parameterCount;
    verdict.residualVariance = free > 0 ? projection->sumOfSquares / static_cast<long double>(free)
                                        : projection->sumOfSquares;
    verdict.largestRateStep = largestGaussNewtonStep(projection->system, n, responseUnit);
    verdict.coefficientChange = projection->coefficientChange;

    verdict.converged = verdict.expectedFall <= kVarianceShare * verdict.residualVariance ||
                        (verdict.largestRateStep <= kRelativeChange &&
                         verdict.coefficientChange <= kRelativeChange);
    const long double sum = projection->sumOfSquares + projection->coefficientExcess;
    verdict.message =
        verdict.converged ? "Converged" : notConvergedMessage(record, verdict.expectedFall, sum);
    bool marked[kMaxComponents + 1] = {};
    markIndistinguishable(*projection, logRates, n, verdict.residualVariance, marked);
    verdict.message += indistinguishableNote(marked, n, record.mergedComponents);
    clearFloatingPointFaults();
    return verdict;
}

}  // namespace quorvane
