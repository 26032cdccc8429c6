#include "chart/bars_3d.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// Bar width as a share of the space per point.
constexpr double kBarWidthShare = 0.7;

// The shift of series s's bars from the point's x.
double seriesShift(int s, int seriesCount, double barWidth) {
    return (s - (seriesCount - 1) / 2.0) * barWidth;
}

// A box together with its faces, before the depth sort.
struct DrawnBox {
    double distance;
    std::vector<BarFace> faces;
};

// The faces of `box` that turn towards the eye.
DrawnBox visibleFaces(const Camera3d& camera, const BoxScale& scale, const BarBox& box) {
    const double zFront = scale.zFront, zBack = scale.zBack;
    const BoxPoint eye{0, 0, -camera.focalDistance()};
    const double low = scale.boxY(box.low), high = scale.boxY(box.high);
    const BoxPoint centre = camera.turned({(box.left + box.right) / 2, (low + high) / 2, 0});
    DrawnBox entry;
    entry.distance = std::hypot(centre.x - eye.x, centre.y - eye.y, centre.z - eye.z);
    struct Side {
        BoxPoint normal;
        BoxPoint corner[4];
        QColor colour;
    };
    const QColor front = box.colour;
    const QColor top = box.colour.lighter(140);
    const QColor side = box.colour.darker(125);
    const double l = box.left, r = box.right;
    const Side sides[] = {
        {{0, 0, -1},
         {{l, low, zFront}, {r, low, zFront}, {r, high, zFront}, {l, high, zFront}},
         front},
        {{0, 1, 0},
         {{l, high, zFront}, {r, high, zFront}, {r, high, zBack}, {l, high, zBack}},
         top},
        {{0, -1, 0}, {{l, low, zFront}, {r, low, zFront}, {r, low, zBack}, {l, low, zBack}}, side},
        {{1, 0, 0}, {{r, low, zFront}, {r, high, zFront}, {r, high, zBack}, {r, low, zBack}}, side},
        {{-1, 0, 0},
         {{l, low, zFront}, {l, high, zFront}, {l, high, zBack}, {l, low, zBack}},
         side},
    };
    for (const Side& s : sides) {
        const BoxPoint normal = camera.turned(s.normal);
        BoxPoint middle{0, 0, 0};
        for (const BoxPoint& c : s.corner) {
            middle.x += c.x / 4;
            middle.y += c.y / 4;
            middle.z += c.z / 4;
        }
        const BoxPoint m = camera.turned(middle);
        const double facing =
            normal.x * (m.x - eye.x) + normal.y * (m.y - eye.y) + normal.z * (m.z - eye.z);
        if (facing >= 0)
            continue;
        entry.faces.push_back(
            {projectedQuad(camera, s.corner[0], s.corner[1], s.corner[2], s.corner[3]), s.colour});
    }
    return entry;
}

}  // namespace

double barWidth(const std::vector<BarSeries3d>& series, double boxWidth) {
    int maxPoints = 0;
    for (const BarSeries3d& s : series)
        maxPoints = std::max(maxPoints, s.pointCount());
    if (maxPoints == 0)
        return 0;
    const int seriesCount = static_cast<int>(series.size());
    return kBarWidthShare * boxWidth / maxPoints / seriesCount;
}

std::vector<BarBox> sideBySideBars(const std::vector<BarSeries3d>& series, const BoxScale& scale,
                                   double barWidth) {
    std::vector<BarBox> boxes;
    const int seriesCount = static_cast<int>(series.size());
    for (int s = 0; s < seriesCount; ++s) {
        const double shift = seriesShift(s, seriesCount, barWidth);
        for (const BarSeries3d::Bar& bar : series[s].points()) {
            if (!scale.inBottomRange(bar.x))
                continue;
            const double centre = scale.boxX(bar.x) + shift;
            boxes.push_back({centre - barWidth / 2, centre + barWidth / 2, std::min(0.0, bar.y),
                             std::max(0.0, bar.y), series[s].colour()});
        }
    }
    return boxes;
}

std::vector<BarBox> barsMergedPerPixelColumn(const std::vector<BarSeries3d>& series,
                                             const BoxScale& scale, double barWidth, double pixel) {
    struct Column {
        bool used = false;
        double low = 0, high = 0;
    };
    const int seriesCount = static_cast<int>(series.size());
    const int columnCount = static_cast<int>(std::ceil(scale.width / pixel)) + 2;
    std::vector<QColor> colours;
    std::vector<std::vector<Column>> columns;
    for (int s = 0; s < seriesCount; ++s) {
        const QColor colour = series[s].colour();
        std::size_t c = 0;
        while (c < colours.size() && colours[c] != colour)
            ++c;
        if (c == colours.size()) {
            colours.push_back(colour);
            columns.emplace_back(columnCount);
        }
        std::vector<Column>& row = columns[c];
        const double shift = seriesShift(s, seriesCount, barWidth);
        for (const BarSeries3d::Bar& bar : series[s].points()) {
            if (!scale.inBottomRange(bar.x))
                continue;
            const double centre = scale.boxX(bar.x) + shift - scale.x0;
            const int index =
                std::clamp(static_cast<int>(std::floor(centre / pixel)), 0, columnCount - 1);
            Column& column = row[index];
            if (!column.used) {
                column = {true, std::min(0.0, bar.y), std::max(0.0, bar.y)};
            } else {
                column.low = std::min(column.low, bar.y);
                column.high = std::max(column.high, bar.y);
            }
        }
    }
    std::vector<BarBox> boxes;
    for (std::size_t c = 0; c < colours.size(); ++c) {
        for (int index = 0; index < columnCount; ++index) {
            const Column& column = columns[c][index];
            if (!column.used)
                continue;
            const double left = scale.x0 + index * pixel;
            boxes.push_back({left, left + pixel, column.low, column.high, colours[c]});
        }
    }
    return boxes;
}

std::vector<BarFace> barFacesFarToNear(const Camera3d& camera, const BoxScale& scale,
                                       const std::vector<BarBox>& boxes) {
    std::vector<DrawnBox> drawn;
    drawn.reserve(boxes.size());
    for (const BarBox& box : boxes)
        drawn.push_back(visibleFaces(camera, scale, box));
    std::stable_sort(drawn.begin(), drawn.end(),
                     [](const DrawnBox& a, const DrawnBox& b) { return a.distance > b.distance; });
    std::vector<BarFace> faces;
    for (DrawnBox& entry : drawn) {
        for (BarFace& face : entry.faces)
            faces.push_back(std::move(face));
    }
    return faces;
}

}  // namespace quorvane
