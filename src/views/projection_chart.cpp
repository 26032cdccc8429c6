#include "views/projection_chart.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvane {

namespace {

// Room around the box for the title and the axis labels, in widget pixels.
constexpr double kLeftMargin = 70;
constexpr double kRightMargin = 24;
constexpr double kTopGap = 12;
constexpr double kBottomMargin = 44;
// Bar width as a share of the space per point.
constexpr double kBarWidthShare = 0.7;
// Box depth at 100 %: 0.3 of the box height.
constexpr double kDepthAtFullPercent = 0.3;
// Ticks the automatic left axis aims at.
constexpr int kLeftAxisTicks = 8;
// Bars at least this wide on screen get an outline.
constexpr double kOutlinedBarWidth = 3;

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// A step of 1, 2 or 5 times a power of ten near span / ticks.
double niceStep(double span, int ticks) {
    const double raw = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / power;
    const double nice = mantissa <= 1 ? 1 : mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10;
    return nice * power;
}

QString decadeLabel(int exponent) {
    if (exponent == 0)
        return QStringLiteral("1");
    return QStringLiteral("1e%1").arg(exponent);
}

// Fixed notation with as many decimals as the tick step needs.
QString valueLabel(double value, double step) {
    if (std::fabs(value) < step * 1e-9)
        return QStringLiteral("0");
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return QString::number(value, 'f', decimals);
}

}  // namespace

const std::vector<ProjectionChart::Bar>& ProjectionChart::BarSeries::points() const {
    if (!sorted_) {
        std::stable_sort(points_.begin(), points_.end(),
                         [](const Bar& a, const Bar& b) { return a.x < b.x; });
        sorted_ = true;
    }
    return points_;
}

void ProjectionChart::BarSeries::add(double x, double y) {
    if (!points_.empty() && x < points_.back().x)
        sorted_ = false;
    points_.push_back({x, y});
}

ProjectionChart::ProjectionChart(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
}

void ProjectionChart::setTitle(const QString& title) {
    title_ = title;
    invalidate();
}

void ProjectionChart::setView(const ViewSettings& view) {
    view_ = view;
    invalidate();
}

void ProjectionChart::setBottomAxisRange(double minimum, double maximum) {
    bottomMinimum_ = minimum;
    bottomMaximum_ = maximum;
    invalidate();
}

int ProjectionChart::addBarSeries(QColor colour) {
    series_.emplace_back(colour);
    invalidate();
    return seriesCount() - 1;
}

void ProjectionChart::addBar(int series, double x, double y) {
    series_.at(series).add(x, y);
    // One repaint request per batch of added bars, not one per bar.
    if (!dirty_)
        invalidate();
}

double ProjectionChart::leftAxisMinimum() {
    rebuildIfNeeded();
    return geometry_.leftMinimum;
}

double ProjectionChart::leftAxisMaximum() {
    rebuildIfNeeded();
    return geometry_.leftMaximum;
}

int ProjectionChart::drawnBarCount() {
    rebuildIfNeeded();
    return geometry_.barCount;
}

void ProjectionChart::invalidate() {
    dirty_ = true;
    update();
}

void ProjectionChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dirty_ = true;
}

void ProjectionChart::rebuildIfNeeded() {
    if (dirty_)
        rebuild();
}

ProjectionChart::Vec3 ProjectionChart::rotated(const Vec3& p) const {
    // Rotation about the vertical axis: the right end comes nearer and the
    // far side moves right; elevation: the top comes nearer and the far side
    // moves up.
    const double x = p.x * turnCos_ + p.z * turnSin_;
    const double depth = -p.x * turnSin_ + p.z * turnCos_;
    const double y = p.y * tiltCos_ + depth * tiltSin_;
    const double z = -p.y * tiltSin_ + depth * tiltCos_;
    return {x, y, z};
}

QPointF ProjectionChart::project(const Vec3& p) const {
    const Vec3 v = rotated(p);
    const double perspective = focalDistance_ / (focalDistance_ + v.z);
    return fitOrigin_ + fitScale_ * QPointF(v.x * perspective, -v.y * perspective);
}

void ProjectionChart::computeLeftAxis() {
    double lowest = 0;
    double highest = 0;
    for (const BarSeries& s : series_) {
        for (const Bar& bar : s.points_) {
            lowest = std::min(lowest, bar.y);
            highest = std::max(highest, bar.y);
        }
    }
    if (highest - lowest <= 0) {
        lowest = -1;
        highest = 1;
    }
    const double step = niceStep(highest - lowest, kLeftAxisTicks);
    geometry_.leftMinimum = std::floor(lowest / step) * step;
    geometry_.leftMaximum = std::ceil(highest / step) * step;
}

void ProjectionChart::rebuild() {
    dirty_ = false;
    geometry_ = Geometry{};

    const QFontMetricsF metrics(font());
    const double titleHeight = metrics.height() + 8;
    const QRectF area(kLeftMargin, titleHeight + kTopGap, width() - kLeftMargin - kRightMargin,
                      height() - titleHeight - kTopGap - kBottomMargin);
    if (area.width() < 10 || area.height() < 10)
        return;

    turnCos_ = std::cos(radians(360.0 - view_.rotation));
    turnSin_ = std::sin(radians(360.0 - view_.rotation));
    tiltCos_ = std::cos(radians(360.0 - view_.elevation));
    tiltSin_ = std::sin(radians(360.0 - view_.elevation));
    boxWidth_ = area.width();
    boxHeight_ = area.height();
    boxDepth_ = view_.depthPercent / 100.0 * kDepthAtFullPercent * boxHeight_;
    const double perspective = std::max(view_.perspectivePercent, 1.0);
    focalDistance_ = std::max(boxWidth_, boxHeight_) * 100.0 / (2.0 * perspective);

    const double x0 = -boxWidth_ / 2, x1 = boxWidth_ / 2;
    const double y0 = -boxHeight_ / 2, y1 = boxHeight_ / 2;
    const double zFront = -boxDepth_ / 2, zBack = boxDepth_ / 2;

    // Fit the projected box into the area, then zoom and offset it.
    fitScale_ = 1;
    fitOrigin_ = QPointF();
    QPolygonF corners;
    for (double x : {x0, x1}) {
        for (double y : {y0, y1}) {
            for (double z : {zFront, zBack})
                corners << project({x, y, z});
        }
    }
    const QRectF bounds = corners.boundingRect();
    fitScale_ = std::min(area.width() / bounds.width(), area.height() / bounds.height()) *
                view_.zoomPercent / 100.0;
    fitOrigin_ = area.center() - fitScale_ * bounds.center() +
                 QPointF(view_.horizontalOffset, view_.verticalOffset);

    computeLeftAxis();
    const double leftMin = geometry_.leftMinimum, leftMax = geometry_.leftMaximum;
    const double logMin = std::log10(bottomMinimum_), logMax = std::log10(bottomMaximum_);
    auto boxX = [&](double value) {
        return x0 + boxWidth_ * (std::log10(value) - logMin) / (logMax - logMin);
    };
    auto boxY = [&](double value) {
        return y0 + boxHeight_ * (value - leftMin) / (leftMax - leftMin);
    };

    // Walls: floor, left wall, back wall.
    auto quad = [&](Vec3 a, Vec3 b, Vec3 c, Vec3 d) {
        return QPolygonF({project(a), project(b), project(c), project(d)});
    };
    geometry_.walls.push_back(
        quad({x0, y0, zFront}, {x1, y0, zFront}, {x1, y0, zBack}, {x0, y0, zBack}));
    geometry_.walls.push_back(
        quad({x0, y0, zFront}, {x0, y1, zFront}, {x0, y1, zBack}, {x0, y0, zBack}));
    geometry_.walls.push_back(
        quad({x0, y0, zBack}, {x1, y0, zBack}, {x1, y1, zBack}, {x0, y1, zBack}));

    // Left axis: grid on the back and left walls, labels at the front edge.
    const double step = niceStep(leftMax - leftMin, kLeftAxisTicks);
    const int tickCount = static_cast<int>(std::lround((leftMax - leftMin) / step));
    for (int i = 0; i <= tickCount; ++i) {
        const double value = leftMin + i * step;
        const double y = boxY(value);
        geometry_.gridLines.emplace_back(project({x0, y, zBack}), project({x1, y, zBack}));
        geometry_.gridLines.emplace_back(project({x0, y, zFront}), project({x0, y, zBack}));
        geometry_.labels.push_back({project({x0, y, zFront}) - QPointF(6, 0),
                                    valueLabel(value, step), Qt::AlignRight | Qt::AlignVCenter});
    }
    // Bottom axis: a grid line and a label at every decade inside the range.
    for (int exponent = static_cast<int>(std::ceil(logMin - 1e-9));
         exponent <= static_cast<int>(std::floor(logMax + 1e-9)); ++exponent) {
        const double x = boxX(std::pow(10.0, exponent));
        geometry_.gridLines.emplace_back(project({x, y0, zBack}), project({x, y1, zBack}));
        geometry_.gridLines.emplace_back(project({x, y0, zFront}), project({x, y0, zBack}));
        geometry_.labels.push_back({project({x, y0, zFront}) + QPointF(0, 6), decadeLabel(exponent),
                                    Qt::AlignHCenter | Qt::AlignTop});
    }
    geometry_.axisLines.emplace_back(project({x0, y0, zFront}), project({x0, y1, zFront}));
    geometry_.axisLines.emplace_back(project({x0, y0, zFront}), project({x1, y0, zFront}));

    // Bars.
    int maxPoints = 0;
    for (const BarSeries& s : series_)
        maxPoints = std::max(maxPoints, s.pointCount());
    if (maxPoints == 0)
        return;
    const int seriesCount = this->seriesCount();
    const double barWidth = kBarWidthShare * boxWidth_ / maxPoints / seriesCount;
    const double pixel = 1.0 / fitScale_;

    struct BarBox {
        double left, right, low, high;
        QColor colour;
    };
    std::vector<BarBox> boxes;
    auto inRange = [&](double x) { return x > 0 && x >= bottomMinimum_ && x <= bottomMaximum_; };

    if (barWidth >= pixel) {
        for (int s = 0; s < seriesCount; ++s) {
            const double shift = (s - (seriesCount - 1) / 2.0) * barWidth;
            for (const Bar& bar : series_[s].points()) {
                if (!inRange(bar.x))
                    continue;
                const double centre = boxX(bar.x) + shift;
                boxes.push_back({centre - barWidth / 2, centre + barWidth / 2, std::min(0.0, bar.y),
                                 std::max(0.0, bar.y), series_[s].colour()});
            }
        }
    } else {
        // One box per pixel column and colour, spanning every bar in it.
        struct Column {
            bool used = false;
            double low = 0, high = 0;
        };
        const int columnCount = static_cast<int>(std::ceil(boxWidth_ / pixel)) + 2;
        std::vector<QColor> colours;
        std::vector<std::vector<Column>> columns;
        for (int s = 0; s < seriesCount; ++s) {
            const QColor colour = series_[s].colour();
            std::size_t c = 0;
            while (c < colours.size() && colours[c] != colour)
                ++c;
            if (c == colours.size()) {
                colours.push_back(colour);
                columns.emplace_back(columnCount);
            }
            std::vector<Column>& row = columns[c];
            const double shift = (s - (seriesCount - 1) / 2.0) * barWidth;
            for (const Bar& bar : series_[s].points_) {
                if (!inRange(bar.x))
                    continue;
                const double centre = boxX(bar.x) + shift - x0;
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
        for (std::size_t c = 0; c < colours.size(); ++c) {
            for (int index = 0; index < columnCount; ++index) {
                const Column& column = columns[c][index];
                if (!column.used)
                    continue;
                const double left = x0 + index * pixel;
                boxes.push_back({left, left + pixel, column.low, column.high, colours[c]});
            }
        }
    }
    geometry_.barCount = static_cast<int>(boxes.size());

    // Faces that turn towards the eye, boxes drawn far to near.
    struct Drawn {
        double distance;
        std::vector<Face> faces;
    };
    std::vector<Drawn> drawn;
    drawn.reserve(boxes.size());
    const Vec3 eye{0, 0, -focalDistance_};
    for (const BarBox& box : boxes) {
        const double low = boxY(box.low), high = boxY(box.high);
        const Vec3 centre = rotated({(box.left + box.right) / 2, (low + high) / 2, 0});
        Drawn entry;
        entry.distance = std::hypot(centre.x - eye.x, centre.y - eye.y, centre.z - eye.z);
        struct Side {
            Vec3 normal;
            Vec3 corner[4];
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
            {{0, -1, 0},
             {{l, low, zFront}, {r, low, zFront}, {r, low, zBack}, {l, low, zBack}},
             side},
            {{1, 0, 0},
             {{r, low, zFront}, {r, high, zFront}, {r, high, zBack}, {r, low, zBack}},
             side},
            {{-1, 0, 0},
             {{l, low, zFront}, {l, high, zFront}, {l, high, zBack}, {l, low, zBack}},
             side},
        };
        for (const Side& s : sides) {
            const Vec3 normal = rotated(s.normal);
            Vec3 middle{0, 0, 0};
            for (const Vec3& c : s.corner) {
                middle.x += c.x / 4;
                middle.y += c.y / 4;
                middle.z += c.z / 4;
            }
            const Vec3 m = rotated(middle);
            const double facing =
                normal.x * (m.x - eye.x) + normal.y * (m.y - eye.y) + normal.z * (m.z - eye.z);
            if (facing >= 0)
                continue;
            entry.faces.push_back(
                {quad(s.corner[0], s.corner[1], s.corner[2], s.corner[3]), s.colour});
        }
        drawn.push_back(std::move(entry));
    }
    std::stable_sort(drawn.begin(), drawn.end(),
                     [](const Drawn& a, const Drawn& b) { return a.distance > b.distance; });
    outlineBars_ = barWidth * fitScale_ >= kOutlinedBarWidth;
    for (Drawn& entry : drawn) {
        for (Face& face : entry.faces)
            geometry_.barFaces.push_back(std::move(face));
    }
}

void ProjectionChart::paintEvent(QPaintEvent*) {
    rebuildIfNeeded();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);

    QFont titleFont = font();
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, 4, width(), QFontMetricsF(titleFont).height() + 4),
                     Qt::AlignHCenter | Qt::AlignTop, title_);
    painter.setFont(font());

    if (geometry_.walls.size() == 3) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(128, 128, 128), 1));
        painter.setBrush(QColor(236, 236, 236));
        painter.drawPolygon(geometry_.walls[0]);
        painter.setBrush(QColor(224, 224, 224));
        painter.drawPolygon(geometry_.walls[1]);
        // The back wall is white with a transparent fill: its outline only.
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(geometry_.walls[2]);
        painter.setPen(QPen(QColor(190, 190, 190), 1, Qt::DotLine));
        painter.drawLines(geometry_.gridLines.data(), static_cast<int>(geometry_.gridLines.size()));
    }

    painter.setRenderHint(QPainter::Antialiasing, false);
    if (outlineBars_) {
        painter.setPen(QPen(Qt::black, 0));
    } else {
        painter.setPen(Qt::NoPen);
    }
    for (const Face& face : geometry_.barFaces) {
        painter.setBrush(face.colour);
        painter.drawPolygon(face.polygon);
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLines(geometry_.axisLines.data(), static_cast<int>(geometry_.axisLines.size()));
    for (const Label& label : geometry_.labels) {
        QRectF box(0, 0, 80, 20);
        if (label.alignment & Qt::AlignRight) {
            box.moveCenter(label.anchor - QPointF(40, 0));
        } else {
            box.moveCenter(label.anchor + QPointF(0, 10));
        }
        painter.drawText(box, static_cast<int>(label.alignment), label.text);
    }
}

}  // namespace quorvane
