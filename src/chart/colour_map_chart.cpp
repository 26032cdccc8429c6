#include "chart/colour_map_chart.h"

#include <qcustomplot.h>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "chart/chart_interaction.h"
#include "chart/plot_picture.h"
#include "data/number_text.h"

namespace quorvane {

namespace {

constexpr int kGridCellsPerMatrixCell = 4;
constexpr int kFewestGridCells = 256;
constexpr int kMostGridCells = 1536;
// The width of the cell of an axis with one value, in its coordinates.
constexpr double kLoneCellWidth = 1;

// Blue through white to red: the colours at -L, -L/2, 0, L/2 and L.
QCPColorGradient divergingGradient() {
    QCPColorGradient gradient;
    gradient.clearColorStops();
    gradient.setColorStopAt(0.0, QColor(5, 48, 140));
    gradient.setColorStopAt(0.25, QColor(90, 150, 215));
    gradient.setColorStopAt(0.5, QColor(255, 255, 255));
    gradient.setColorStopAt(0.75, QColor(235, 120, 90));
    gradient.setColorStopAt(1.0, QColor(120, 5, 30));
    gradient.setColorInterpolation(QCPColorGradient::ciRGB);
    gradient.setLevelCount(350);
    // Gaps between the cells, where 0 (white) would be a lie.
    gradient.setNanHandling(QCPColorGradient::nhNanColor);
    gradient.setNanColor(QColor(200, 200, 200));
    return gradient;
}

// A number of the time axis' labels, with the program's decimal separator.
QString tickNumber(double value) {
    QString text = QString::number(value, 'g', 6);
    return text.replace('.', QChar::fromLatin1(decimalSeparator()));
}

// The logarithmic time axis drawn in log10 of the time: labelled ticks at
// the powers of ten (every k-th when more than ten would show), minor ticks
// at 2..9 times each power; labels the times themselves.
class DecadeTicker : public QCPAxisTicker {
  protected:
    QVector<double> createTickVector(double, const QCPRange& range) override {
        const double first = std::ceil(range.lower);
        const double last = std::floor(range.upper);
        const double step = std::max(1.0, std::ceil((last - first + 1) / 10));
        QVector<double> ticks;
        // Below one decade the ends stand for the whole range.
        if (last < first)
            return {range.lower, range.upper};
        for (double decade = first; decade <= last; decade += step)
            ticks << decade;
        return ticks;
    }
    QVector<double> createSubTickVector(int, const QVector<double>& ticks) override {
        QVector<double> minor;
        if (ticks.size() < 2 || ticks[1] - ticks[0] != 1)
            return minor;
        for (double decade = ticks.front() - 1; decade <= ticks.back(); ++decade) {
            for (int factor = 2; factor <= 9; ++factor)
                minor << decade + std::log10(factor);
        }
        return minor;
    }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        return tickNumber(std::pow(10.0, tick));
    }
};

class LinearTimeTicker : public QCPAxisTicker {
  protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        return tickNumber(tick == 0 ? 0.0 : tick);  // no "-0"
    }
};

}  // namespace

int ColourMapChart::DrawnAxis::gridCellAt(double u) const {
    if (empty() || !(u >= lower.front() && u <= upper.back()))
        return -1;
    const auto cell = static_cast<int>(std::floor((u - lower.front()) / gridStep));
    return std::clamp(cell, 0, gridCells - 1);
}

ColourMapChart::DrawnAxis ColourMapChart::layOutAxis(const std::vector<double>& values,
                                                     bool logarithmic) {
    DrawnAxis axis;
    std::vector<double> coordinates(values.size());
    std::vector<std::size_t> drawable;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double value = values[i];
        if (!std::isfinite(value) || (logarithmic && value <= 0))
            continue;
        coordinates[i] = logarithmic ? std::log10(value) : value;
        drawable.push_back(i);
    }
    std::stable_sort(drawable.begin(), drawable.end(),
                     [&](std::size_t a, std::size_t b) { return coordinates[a] < coordinates[b]; });
    for (const std::size_t i : drawable) {
        if (axis.order.empty() || coordinates[i] > coordinates[axis.order.back()])
            axis.order.push_back(i);
    }
    if (axis.order.empty())
        return axis;

    // spacing[k]: from cell k to cell k + 1.
    const std::size_t cells = axis.order.size();
    const auto centre = [&](std::size_t k) { return coordinates[axis.order[k]]; };
    std::vector<double> spacing;
    for (std::size_t k = 0; k + 1 < cells; ++k)
        spacing.push_back(centre(k + 1) - centre(k));
    // A gap: a spacing more than twice each spacing beside it. The cells
    // beside it reach into it as far as the smaller of those spacings.
    const auto side = [&](std::size_t k) {
        const bool hasBefore = k > 0;
        const bool hasAfter = k + 1 < spacing.size();
        const double before = hasBefore ? spacing[k - 1] : 0;
        const double after = hasAfter ? spacing[k + 1] : 0;
        if ((hasBefore || hasAfter) && spacing[k] > 2 * std::max(before, after)) {
            return hasBefore && hasAfter ? std::min(before, after) : std::max(before, after);
        }
        return spacing[k];
    };
    for (std::size_t k = 0; k < cells; ++k) {
        const double down = k > 0 ? side(k - 1) : (cells > 1 ? side(0) : kLoneCellWidth);
        const double up = k + 1 < cells ? side(k) : (cells > 1 ? side(cells - 2) : kLoneCellWidth);
        axis.lower.push_back(centre(k) - down / 2);
        axis.upper.push_back(centre(k) + up / 2);
    }

    axis.gridCells = std::clamp(static_cast<int>(cells) * kGridCellsPerMatrixCell, kFewestGridCells,
                                kMostGridCells);
    axis.gridStep = (axis.upper.back() - axis.lower.front()) / axis.gridCells;
    axis.gridSource.resize(static_cast<std::size_t>(axis.gridCells));
    // The grid cell takes the cell under its centre, none in a gap.
    for (int g = 0; g < axis.gridCells; ++g) {
        const double u = axis.lower.front() + (g + 0.5) * axis.gridStep;
        const auto k = static_cast<std::size_t>(
            std::upper_bound(axis.upper.begin(), axis.upper.end() - 1, u) - axis.upper.begin());
        axis.gridSource[static_cast<std::size_t>(g)] =
            u >= axis.lower[k] ? static_cast<std::ptrdiff_t>(axis.order[k]) : -1;
    }
    return axis;
}

ColourMapChart::ColourMapChart(QWidget* parent)
    : QFrame(parent), plot_(new QCustomPlot(this)), matrix_(std::make_shared<KineticMatrix>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    plot_->setBackground(Qt::white);

    titleElement_ = new QCPTextElement(plot_, QString());
    plot_->plotLayout()->insertRow(0);
    plot_->plotLayout()->addElement(0, 0, titleElement_);
    plot_->plotLayout()->setRowStretchFactor(0, 0.001);

    colourMap_ = new QCPColorMap(plot_->xAxis, plot_->yAxis);
    colourMap_->setInterpolate(false);
    colourMap_->setTightBoundary(true);
    colourScale_ = new QCPColorScale(plot_);
    plot_->plotLayout()->addElement(1, 1, colourScale_);
    colourScale_->setType(QCPAxis::atRight);
    colourScale_->setGradient(divergingGradient());
    colourScale_->setRangeDrag(false);
    colourScale_->setRangeZoom(false);
    colourScale_->setBarWidth(16);
    colourMap_->setColorScale(colourScale_);
    // The colour bar spans the plot's height, not the chart's.
    auto* margins = new QCPMarginGroup(plot_);
    plot_->axisRect()->setMarginGroup(QCP::msTop | QCP::msBottom, margins);
    colourScale_->setMarginGroup(QCP::msTop | QCP::msBottom, margins);

    plot_->xAxis->grid()->setVisible(false);
    plot_->yAxis->grid()->setVisible(false);
    // Marks on the top axis: a tick per marked wavelength, no labels.
    plot_->xAxis2->setVisible(true);
    plot_->xAxis2->setTickLabels(false);
    plot_->xAxis2->setSubTicks(false);
    plot_->xAxis2->setTickLength(0, 7);
    plot_->xAxis2->setTickPen(QPen(Qt::black, 1.5));
    plot_->xAxis2->grid()->setVisible(false);
    plot_->xAxis2->setTicker(QSharedPointer<QCPAxisTickerText>::create());
    connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), plot_->xAxis2,
            qOverload<const QCPRange&>(&QCPAxis::setRange));
    plot_->yAxis2->setVisible(true);
    plot_->yAxis2->setTicks(false);
    plot_->yAxis2->setTickLabels(false);

    interaction_ = new ChartInteraction(*plot_, [this] { showWholeMap(); });
    rebuild();
}

ColourMapChart::~ColourMapChart() = default;

void ColourMapChart::setMatrix(std::shared_ptr<const KineticMatrix> matrix) {
    matrix_ = std::move(matrix);
    rebuild();
}

void ColourMapChart::setTimeAxisLogarithmic(bool logarithmic) {
    if (logarithmic == logarithmic_)
        return;
    logarithmic_ = logarithmic;
    rebuild();
}

void ColourMapChart::setMarkedWavelengths(const std::vector<double>& wavelengths) {
    marked_.clear();
    QMap<double, QString> ticks;
    for (const double wavelength : wavelengths) {
        if (std::isfinite(wavelength)) {
            marked_.push_back(wavelength);
            ticks.insert(wavelength, QString());
        }
    }
    plot_->xAxis2->ticker().staticCast<QCPAxisTickerText>()->setTicks(ticks);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ColourMapChart::setTitle(const QString& text) {
    titleElement_->setText(text);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

QString ColourMapChart::title() const {
    return titleElement_->text();
}

void ColourMapChart::setAxisTitles(const QString& wavelength, const QString& time,
                                   const QString& colour) {
    plot_->xAxis->setLabel(wavelength);
    plot_->yAxis->setLabel(time);
    colourScale_->setLabel(colour);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

double ColourMapChart::timeCoordinate(double time) const {
    return logarithmic_ ? std::log10(time) : time;
}

double ColourMapChart::drawnValue(double time, double wavelength) const {
    const int row = timeAxis_.gridCellAt(logarithmic_ && !(time > 0) ? NAN : timeCoordinate(time));
    const int column = wavelengthAxis_.gridCellAt(wavelength);
    if (row < 0 || column < 0)
        return NAN;
    const std::ptrdiff_t t = timeAxis_.gridSource[static_cast<std::size_t>(row)];
    const std::ptrdiff_t w = wavelengthAxis_.gridSource[static_cast<std::size_t>(column)];
    if (t < 0 || w < 0)
        return NAN;
    return matrix_->value(static_cast<std::size_t>(t), static_cast<std::size_t>(w));
}

void ColourMapChart::rebuild() {
    timeAxis_ = layOutAxis(matrix_->times, logarithmic_);
    wavelengthAxis_ = layOutAxis(matrix_->wavelengths, false);
    undrawnTimes_ = static_cast<int>(matrix_->timeCount() - timeAxis_.order.size());
    if (logarithmic_)
        plot_->yAxis->setTicker(QSharedPointer<DecadeTicker>::create());
    else
        plot_->yAxis->setTicker(QSharedPointer<LinearTimeTicker>::create());

    colourLimit_ = 0;
    for (const std::size_t t : timeAxis_.order) {
        for (const std::size_t w : wavelengthAxis_.order) {
            const double value = matrix_->value(t, w);
            if (std::isfinite(value))
                colourLimit_ = std::max(colourLimit_, std::abs(value));
        }
    }
    if (colourLimit_ == 0)
        colourLimit_ = 1;
    fillGrid();
    colourMap_->setDataRange(QCPRange(-colourLimit_, colourLimit_));
    showWholeMap();
}

void ColourMapChart::fillGrid() {
    auto* grid = colourMap_->data();
    if (timeAxis_.empty() || wavelengthAxis_.empty()) {
        grid->clear();
        colourMap_->setVisible(false);
        return;
    }
    const int columns = wavelengthAxis_.gridCells;
    const int rows = timeAxis_.gridCells;
    const auto centreOf = [](const DrawnAxis& axis, int cell) {
        return axis.lower.front() + (cell + 0.5) * axis.gridStep;
    };
    grid->setSize(columns, rows);
    grid->setRange(QCPRange(centreOf(wavelengthAxis_, 0), centreOf(wavelengthAxis_, columns - 1)),
                   QCPRange(centreOf(timeAxis_, 0), centreOf(timeAxis_, rows - 1)));
    const auto width = static_cast<std::ptrdiff_t>(matrix_->wavelengthCount());
    for (int row = 0; row < rows; ++row) {
        const std::ptrdiff_t time = timeAxis_.gridSource[static_cast<std::size_t>(row)];
        const double* spectrum = time < 0 ? nullptr : &matrix_->values[time * width];
        for (int column = 0; column < columns; ++column) {
            const std::ptrdiff_t w = wavelengthAxis_.gridSource[static_cast<std::size_t>(column)];
            grid->setCell(column, row, spectrum != nullptr && w >= 0 ? spectrum[w] : NAN);
        }
    }
    colourMap_->setVisible(true);
}

void ColourMapChart::showWholeMap() {
    interaction_->reset();
    if (!timeAxis_.empty() && !wavelengthAxis_.empty()) {
        plot_->xAxis->setRange(wavelengthAxis_.lower.front(), wavelengthAxis_.upper.back());
        plot_->yAxis->setRange(timeAxis_.lower.front(), timeAxis_.upper.back());
    }
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ColourMapChart::redraw() {
    plot_->replot(QCustomPlot::rpImmediateRefresh);
}

QImage ColourMapChart::toImage() {
    return framedPlotImage(*this, *plot_);
}

void ColourMapChart::saveBitmap(const QString& path) {
    savePlotImage(toImage(), path, "BMP");
}

void ColourMapChart::savePng(const QString& path) {
    savePlotImage(toImage(), path, "PNG");
}

void ColourMapChart::savePdf(const QString& path) {
    savePlotPdf(*this, *plot_, path);
}

}  // namespace quorvane
