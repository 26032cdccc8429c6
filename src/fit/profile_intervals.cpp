#include "fit/profile_intervals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "data/floating_point.h"
#include "fit/curve_projection.h"
#include "fit/f_quantile.h"
#include "fit/profile_problem.h"
#include "fit/response_covariance.h"
#include "fit/response_model.h"
#include "fit/time_constant_range.h"

namespace quorvane {

namespace {

constexpr long double kFallbackScale = 0.05L;  // SE(ln t) when R is singular
constexpr long double kLargestStride = 0.5L;   // in ln t
constexpr int kMostSidePoints = 80;
// The range searched reaches at least a decade beyond the fitted t_j, and
// 50 (in ln t) to each side when the data have no range.
constexpr long double kEdgeBeyondFit = 2.302585092994045684L;
constexpr long double kNoRangeEdge = 50.0L;
constexpr int kMostCrossingPoints = 40;
constexpr long double kThresholdTolerance = 1e-3L;  // of S_threshold - S_min
constexpr long double kWidthTolerance = 1e-4L;      // in ln t

// ParameterVector as it was, put back whatever way the run ends.
class ParameterVectorGuard {
  public:
    ParameterVectorGuard() { std::memcpy(saved_, workspace.ParameterVector, sizeof saved_); }
    ~ParameterVectorGuard() {
        std::memcpy(workspace.ParameterVector, saved_, sizeof saved_);
        clearFloatingPointFaults();
    }
    ParameterVectorGuard(const ParameterVectorGuard&) = delete;
    ParameterVectorGuard& operator=(const ParameterVectorGuard&) = delete;

  private:
    long double saved_[kMaxParameters + 1];
};

// One profile point: held log-rate, the free log-rates there and S_j.
struct ProfilePoint {
    long double distance = 0.0L;  // |ln t - ln t_fitted|
    long double sumOfSquares = 0.0L;
    long double free[kMaxComponents] = {};
};

struct SideOutcome {
    bool bounded = false;
    long double distance = 0.0L;  // of the end or of the limit
    std::string note;
};

class Profiler {
  public:
    Profiler(ProfileIntervals& result, const ProfileProgress& progress)
        : result_(result), progress_(progress) {}

    // False, with the message set, when the run is refused.
    bool findMinimum();
    SideOutcome profileSide(int component, int direction);
    void reportSide(int side) {
        sidesDone_ = side;
        pointsOnSide_ = 0;
        proceed();
    }

  private:
    bool proceed() const {
        if (!progress_)
            return true;
        const int sides = 2 * result_.componentCount;
        const double within = 1.0 - 1.0 / (1.0 + pointsOnSide_ / 4.0);
        return progress_((sidesDone_ + within) / sides);
    }
    // ln t of component j at the given distance and direction, as a log-rate.
    long double heldLogRate(int component, int direction, long double distance) const {
        return minimum_[component] - direction * distance;
    }
    // Fits the point; false when it is not valid.
    bool evaluate(int component, int direction, const long double* start, ProfilePoint& point);
    SideOutcome findCrossing(int component, int direction, ProfilePoint inner, ProfilePoint outer);

    ProfileIntervals& result_;
    const ProfileProgress& progress_;
    int sidesDone_ = 0;
    int pointsOnSide_ = 0;
    long double minimum_[kMaxComponents + 1] = {};          // log-rates at S_min
    long double scale_[kMaxComponents + 1] = {};            // SE(ln t_j)
    long double edgeDistance_[kMaxComponents + 1][2] = {};  // [j][direction up]
    LogRateBounds bounds_;
};

bool Profiler::evaluate(int component, int direction, const long double* start,
                        ProfilePoint& point) {
    ++pointsOnSide_;
    ++result_.profilePoints;
    if (!proceed())
        throw ProfileCancelled{};
    auto problem = std::make_unique<ProfileProblem>(
        component, heldLogRate(component, direction, point.distance), bounds_,
        [this] { return proceed(); });
    const int free = problem->freeCount();
    std::copy(start, start + free, point.free);
    if (!fitProfilePoint(*problem, point.free)) {
        // A warm start that faults: from the minimum's free log-rates.
        for (int j = 1, f = 0; j <= result_.componentCount; ++j)
            if (j != component)
                point.free[f++] = minimum_[j];
        if (!fitProfilePoint(*problem, point.free))
            return false;
    }
    point.sumOfSquares = problem->acceptedSumOfSquares();
    return true;
}

bool Profiler::findMinimum() {
    const int n = result_.componentCount;
    long double logRates[kMaxComponents + 1] = {};
    for (int j = 1; j <= n; ++j)
        logRates[j] = workspace.ParameterVector[rateIndex(j)];
    const TimeConstantRange range = dataTimeConstantRange();
    bounds_ = trialLogRateBounds(range, n, logRates);

    auto problem = std::make_unique<ProfileProblem>(0, 0.0L, bounds_, [this] { return proceed(); });
    if (!fitProfilePoint(*problem, logRates + 1)) {
        result_.message =
            "No intervals: a floating-point fault or components that cannot be "
            "told apart at the fitted time constants";
        return false;
    }
    std::copy(logRates + 1, logRates + 1 + n, minimum_ + 1);
    const auto projection = std::make_unique<Projection>();
    projectCurves(minimum_, nullptr, *projection);
    result_.pointCount = projection->pointCount;
    result_.parameterCount = fittedParameterCount();
    const long freedom = result_.pointCount - result_.parameterCount;
    if (freedom <= 0) {
        result_.message = "No intervals: " + std::to_string(result_.pointCount) +
                          " data points for " + std::to_string(result_.parameterCount) +
                          " fitted parameters";
        return false;
    }
    result_.minimumSumOfSquares = projection->sumOfSquares;
    result_.quantile = fQuantile(kIntervalConfidence, 1.0, static_cast<double>(freedom));
    result_.threshold =
        result_.minimumSumOfSquares *
        (1.0L + static_cast<long double>(result_.quantile) / static_cast<long double>(freedom));

    const long double variance = result_.minimumSumOfSquares / static_cast<long double>(freedom);
    ResponseCovariance covariance;
    bool scaled = true;
    try {
        triangleCovariance(projection->system, covariance);
    } catch (const std::exception&) {
        scaled = false;
    }
    clearFloatingPointFaults();
    // The range searched: [h, T] of the data, widened to the fitted t_j.
    const long double shortest = range.known ? logl(range.shortestStep) : -INFINITY;
    const long double longest = range.known ? logl(range.longestTime) : INFINITY;
    for (int j = 1; j <= n; ++j) {
        const long double se = scaled ? sqrtl(variance * covariance[j - 1][j - 1]) : 0.0L;
        scale_[j] = std::isfinite(se) && se > 0.0L ? se : kFallbackScale;
        const long double lnT = -minimum_[j];
        edgeDistance_[j][1] =
            std::isfinite(longest) ? std::max(kEdgeBeyondFit, longest - lnT) : kNoRangeEdge;
        edgeDistance_[j][0] =
            std::isfinite(shortest) ? std::max(kEdgeBeyondFit, lnT - shortest) : kNoRangeEdge;
        result_.interval[j].fitted = expl(lnT);
    }
    return true;
}

SideOutcome Profiler::findCrossing(int component, int direction, ProfilePoint inner,
                                   ProfilePoint outer) {
    const long double threshold = result_.threshold;
    const long double band = kThresholdTolerance * (threshold - result_.minimumSumOfSquares);
    const long double width = std::min(kWidthTolerance, 1e-3L * scale_[component]);
    // The secant's values, an end's halved when the other end moved twice.
    long double innerGap = inner.sumOfSquares - threshold;  // < 0
    long double outerGap = outer.sumOfSquares - threshold;  // >= 0
    int movedLast = 0;  // -1: the inner end moved last, +1: the outer
    for (int count = 0; count < kMostCrossingPoints; ++count) {
        if (threshold - inner.sumOfSquares <= band || outer.sumOfSquares - threshold <= band)
            break;
        if (outer.distance - inner.distance <= width)
            break;
        const long double span = outer.distance - inner.distance;
        long double next = inner.distance - innerGap * span / (outerGap - innerGap);
        if (!(next > inner.distance + 0.01L * span && next < outer.distance - 0.01L * span))
            next = inner.distance + 0.5L * span;
        ProfilePoint point;
        point.distance = next;
        if (!evaluate(component, direction, inner.free, point))
            return {true, outer.distance, "the crossing is approximate (a profile point faulted)"};
        const long double gap = point.sumOfSquares - threshold;
        if (gap < 0.0L) {
            inner = point;
            innerGap = gap;
            if (movedLast == -1)
                outerGap = outerGap / 2;
            movedLast = -1;
        } else {
            outer = point;
            outerGap = gap;
            if (movedLast == 1)
                innerGap = innerGap / 2;
            movedLast = 1;
        }
    }
    const long double innerTrue = threshold - inner.sumOfSquares;
    const long double outerTrue = outer.sumOfSquares - threshold;
    return {true, innerTrue <= outerTrue ? inner.distance : outer.distance, ""};
}

SideOutcome Profiler::profileSide(int component, int direction) {
    const long double edge = edgeDistance_[component][direction > 0 ? 1 : 0];
    ProfilePoint previous;
    previous.sumOfSquares = result_.minimumSumOfSquares;
    for (int j = 1, f = 0; j <= result_.componentCount; ++j)
        if (j != component)
            previous.free[f++] = minimum_[j];
    long double distance = scale_[component];
    for (int count = 0; count < kMostSidePoints; ++count) {
        const bool atEdge = distance >= edge;
        ProfilePoint point;
        point.distance = atEdge ? edge : distance;
        if (!evaluate(component, direction, previous.free, point))
            return {false, previous.distance,
                    "stopped where a profile point faulted or components met"};
        if (point.sumOfSquares >= result_.threshold)
            return findCrossing(component, direction, previous, point);
        if (atEdge)
            return {false, edge, ""};
        previous = point;
        distance = distance + std::min(distance / 2, kLargestStride);
    }
    return {false, previous.distance,
            "stopped after " + std::to_string(kMostSidePoints) +
                " profile points without reaching the threshold"};
}

void addNote(std::string& notes, const char* side, const std::string& note) {
    if (note.empty())
        return;
    if (!notes.empty())
        notes += "; ";
    notes += std::string(side) + ": " + note;
}

}  // namespace

ProfileIntervals computeProfileIntervals(const ProfileProgress& progress) {
    ProfileIntervals result;
    const int n = workspace.componentCount;
    result.componentCount = n;
    if (responseInUse()) {
        result.message =
            "No intervals: the profile of a fit with the instrument response is not computed";
        return result;
    }
    if (workspace.fitCount == 0 || n < 1 || workspace.curveCount < 1) {
        result.message = "No intervals: there is no fit";
        return result;
    }
    const ParameterVectorGuard guard;
    Profiler profiler(result, progress);
    try {
        if (!profiler.findMinimum())
            return result;
        for (int j = 1; j <= n; ++j) {
            TimeConstantInterval& interval = result.interval[j];
            const long double lnT = logl(interval.fitted);
            profiler.reportSide(2 * (j - 1));
            const SideOutcome up = profiler.profileSide(j, +1);
            profiler.reportSide(2 * (j - 1) + 1);
            const SideOutcome down = profiler.profileSide(j, -1);
            interval.upperBounded = up.bounded;
            interval.upper = expl(lnT + up.distance);
            interval.lowerBounded = down.bounded;
            interval.lower = expl(lnT - down.distance);
            addNote(interval.note, "upper", up.note);
            addNote(interval.note, "lower", down.note);
        }
        profiler.reportSide(2 * n);
    } catch (const ProfileCancelled&) {
        result.cancelled = true;
        result.message = "No intervals: cancelled";
        return result;
    } catch (const std::exception& error) {
        result.message = std::string("No intervals: ") + error.what();
        return result;
    }
    result.valid = true;
    return result;
}

}  // namespace quorvane
