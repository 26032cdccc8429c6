#include "chart/chart.h"

#include <qcustomplot.h>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "chart/chart_interaction.h"
#include "chart/log_axis_ticker.h"
#include "data/error.h"

namespace quorvane {

namespace {

// Ticks of a linear axis: the component's placement, the design's label
// text (given the tick step as the resolution).
class LinearAxisTicker : public QCPAxisTicker {
  public:
    explicit LinearAxisTicker(AxisDesign::LabelText labelText) : labelText_(std::move(labelText)) {}

  protected:
    QVector<double> createTickVector(double tickStep, const QCPRange& range) override {
        step_ = tickStep;
        return QCPAxisTicker::createTickVector(tickStep, range);
    }
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override {
        if (labelText_)
            return labelText_(tick, step_);
        return QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision);
    }

  private:
    AxisDesign::LabelText labelText_;
    double step_ = 0;
};

// Bars that can write their values above (or below, for negative values)
// each bar.
class MarkedBars : public QCPBars {
  public:
    MarkedBars(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPBars(keyAxis, valueAxis) {}
    bool marksVisible = true;

  protected:
    void draw(QCPPainter* painter) override {
        QCPBars::draw(painter);
        if (!marksVisible || mDataContainer->isEmpty())
            return;
        QCPBarsDataContainer::const_iterator begin;
        QCPBarsDataContainer::const_iterator end;
        getVisibleDataBounds(begin, end);
        painter->setPen(Qt::black);
        const QFontMetrics metrics(painter->font());
        for (auto it = begin; it != end; ++it) {
            const QRectF bar = getBarRect(it->key, it->value);
            const QString text = QString::number(it->value, 'g', 6);
            const int width = metrics.horizontalAdvance(text);
            const double top = it->value >= 0 ? bar.top() - metrics.descent() - 2
                                              : bar.bottom() + metrics.ascent() + 2;
            painter->drawText(QPointF(bar.center().x() - width / 2.0, top), text);
        }
    }
};

// Room left beyond the data on each side of an automatic axis, as a
// fraction of the data's span (of its decades on a logarithmic axis).
constexpr double kAutomaticMargin = 0.05;

// The legend's entries: character height of a compact entry, spacing
// between normal ones.
constexpr int kCompactLegendPixelSize = 10;
constexpr int kLegendRowSpacing = 3;

}  // namespace

// ---------------------------------------------------------------------------
// ChartSeries

ChartSeries::ChartSeries(Chart& chart, SeriesKind kind, QCPAbstractPlottable* plottable)
    : chart_(chart), kind_(kind), plottable_(plottable) {}

ChartSeries::~ChartSeries() = default;

void ChartSeries::setTitle(const QString& title) {
    title_ = title;
    chart_.structureDirty_ = true;
    chart_.scheduleRedraw();
}

void ChartSeries::addPoint(double x, double y, QColor colour) {
    const Point point{x, y, colour};
    if (points_.empty() || !(x < points_.back().x)) {
        points_.push_back(point);
    } else {
        const auto position =
            std::upper_bound(points_.begin(), points_.end(), x,
                             [](double key, const Point& existing) { return key < existing.x; });
        points_.insert(position, point);
    }
    if (colour != colour_) {
        colour_ = colour;
        styleDirty_ = true;
    }
    changed();
}

void ChartSeries::setLineWidth(int pixels) {
    lineWidth_ = pixels;
    styleDirty_ = true;
    chart_.scheduleRedraw();
}

void ChartSeries::setMarksVisible(bool visible) {
    marksVisible_ = visible;
    styleDirty_ = true;
    chart_.scheduleRedraw();
}

void ChartSeries::changed() {
    dataDirty_ = true;
    chart_.scheduleRedraw();
}

// ---------------------------------------------------------------------------
// Chart

Chart::Chart(QWidget* parent) : QFrame(parent), plot_(new QCustomPlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);

    plot_->setNoAntialiasingOnDrag(true);
    plot_->setPlottingHint(QCP::phFastPolylines, true);
    plot_->setBackground(Qt::white);

    titleElement_ = new QCPTextElement(plot_, QString());
    plot_->plotLayout()->insertRow(0);
    plot_->plotLayout()->addElement(0, 0, titleElement_);

    // The legend stands in its own column right of the plot, at the top.
    plot_->legend->setVisible(true);
    plot_->axisRect()->insetLayout()->take(plot_->legend);
    legendCell_ = new QCPLayoutGrid;
    plot_->plotLayout()->addElement(1, 1, legendCell_);
    legendCell_->addElement(0, 0, plot_->legend);
    legendCell_->addElement(1, 0, new QCPLayoutElement(plot_));
    legendCell_->setRowStretchFactor(0, 0.001);
    legendCell_->setRowStretchFactor(1, 1);
    legendCell_->setMargins(QMargins(4, 0, 6, 0));
    legendCell_->setRowSpacing(0);
    plot_->plotLayout()->setColumnStretchFactor(1, 0.001);
    plot_->plotLayout()->setRowStretchFactor(0, 0.001);
    plot_->legend->setBorderPen(QPen(Qt::black));
    applyLegendSize(false);

    axes_[static_cast<int>(AxisPosition::Bottom)].axis = plot_->xAxis;
    axes_[static_cast<int>(AxisPosition::Left)].axis = plot_->yAxis;
    axes_[static_cast<int>(AxisPosition::Top)].axis = plot_->xAxis2;
    axes_[static_cast<int>(AxisPosition::Right)].axis = plot_->yAxis2;
    AxisDesign hidden;
    hidden.visible = false;
    setAxisDesign(AxisPosition::Bottom, AxisDesign{});
    setAxisDesign(AxisPosition::Left, AxisDesign{});
    setAxisDesign(AxisPosition::Top, hidden);
    setAxisDesign(AxisPosition::Right, hidden);

    interaction_ = new ChartInteraction(*plot_, [this] { restoreRanges(); });
    connect(plot_, &QCustomPlot::beforeReplot, this, &Chart::synchronise);
}

Chart::~Chart() {
    // The plottables belong to the plot widget, which goes with this frame.
    series_.clear();
    // A legend cell taken out of the layout is put back, so that the plot's
    // layout deletes it (and the legend in it) with everything else.
    if (!plot_->plotLayout()->hasElement(1, 1))
        plot_->plotLayout()->addElement(1, 1, legendCell_);
}

ChartSeries* Chart::addLineSeries() {
    auto* graph = new QCPGraph(plot_->xAxis, plot_->yAxis);
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle::ssNone);
    graph->setAdaptiveSampling(true);
    graph->setAntialiased(false);
    series_.push_back(
        std::unique_ptr<ChartSeries>(new ChartSeries(*this, SeriesKind::Line, graph)));
    structureDirty_ = true;
    scheduleRedraw();
    return series_.back().get();
}

ChartSeries* Chart::addBarSeries() {
    auto* bars = new MarkedBars(plot_->xAxis, plot_->yAxis);
    bars->setWidthType(QCPBars::wtAbsolute);
    bars->setBaseValue(0);
    // Bar series of one chart stand side by side around each x.
    if (barsGroup_ == nullptr) {
        barsGroup_ = new QCPBarsGroup(plot_);
        barsGroup_->setSpacingType(QCPBarsGroup::stAbsolute);
        barsGroup_->setSpacing(0);
    }
    bars->setBarsGroup(barsGroup_);
    series_.push_back(std::unique_ptr<ChartSeries>(new ChartSeries(*this, SeriesKind::Bar, bars)));
    structureDirty_ = true;
    scheduleRedraw();
    return series_.back().get();
}

ChartSeries* Chart::series(int position) const {
    if (position < 0 || position >= seriesCount())
        return nullptr;
    return series_[static_cast<std::size_t>(position)].get();
}

int Chart::positionOf(const ChartSeries* series) const {
    for (int i = 0; i < seriesCount(); ++i) {
        if (series_[static_cast<std::size_t>(i)].get() == series)
            return i;
    }
    return -1;
}

void Chart::freeSeries(ChartSeries* series) {
    const int position = positionOf(series);
    if (position < 0)
        return;
    plot_->removePlottable(series->plottable_);
    series_.erase(series_.begin() + position);
    structureDirty_ = true;
    scheduleRedraw();
}

void Chart::freeAllSeries() {
    while (seriesCount() > 0)
        freeSeries(series(seriesCount() - 1));
}

QString Chart::legendText(int position) const {
    const ChartSeries* entry = series(position);
    if (entry == nullptr)
        return {};
    if (!entry->title().isEmpty())
        return entry->title();
    return QStringLiteral("Series ") + QString::number(position);
}

void Chart::setTitle(const QString& text) {
    titleElement_->setText(text);
    scheduleRedraw();
}

void Chart::setTitleFont(const QFont& font, QColor colour) {
    titleElement_->setFont(font);
    titleElement_->setTextColor(colour);
    scheduleRedraw();
}

QString Chart::title() const {
    return titleElement_->text();
}

Chart::AxisState& Chart::state(AxisPosition axis) {
    return axes_[static_cast<int>(axis)];
}

const Chart::AxisState& Chart::state(AxisPosition axis) const {
    return axes_[static_cast<int>(axis)];
}

const AxisDesign& Chart::axisDesign(AxisPosition axis) const {
    return state(axis).design;
}

void Chart::setAxisDesign(AxisPosition axis, const AxisDesign& design) {
    AxisState& target = state(axis);
    target.design = design;
    applyAxisDesign(target);
    scheduleRedraw();
}

void Chart::applyAxisDesign(AxisState& target) {
    const AxisDesign& design = target.design;
    QCPAxis* axis = target.axis;
    axis->setVisible(design.visible);
    axis->setScaleType(design.logarithmic ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
    if (design.logarithmic) {
        auto ticker = QSharedPointer<LogAxisTicker>::create(*axis, design.labelText);
        ticker->setLogBase(10);
        ticker->setSubTickCount(design.minorTickCount);
        ticker->setTickCount(10);
        axis->setTicker(ticker);
    } else {
        auto ticker = QSharedPointer<LinearAxisTicker>::create(design.labelText);
        ticker->setTickCount(design.labelCountHint);
        axis->setTicker(ticker);
    }
    // Plain label texts: the component's typeset powers would replace an
    // "e" in a label by a superscript.
    if (design.labelText)
        axis->setNumberFormat(QStringLiteral("g"));
    axis->setTickLabels(design.labelsVisible);
    axis->setLabel(design.title);
    axis->setBasePen(QPen(design.axisColour, 0));
    axis->setTickPen(QPen(design.tickColour, 0));
    axis->setSubTickPen(QPen(design.tickColour, 0));
    axis->setTickLength(design.tickLengthInside, design.tickLengthOutside);
    axis->setSubTickLength(design.minorTickLengthInside, design.minorTickLengthOutside);
    axis->setSubTicks(design.minorTickCount > 0);
    axis->grid()->setVisible(design.gridVisible);
    axis->grid()->setPen(design.gridPen);
    axis->grid()->setZeroLinePen(design.gridPen);
    axis->grid()->setSubGridVisible(design.minorGridVisible);
    axis->grid()->setSubGridPen(design.minorGridPen);
    if (!design.automatic || series_.empty())
        axis->setRange(design.minimum, design.maximum);
}

void Chart::setBackgroundColour(QColor colour) {
    plot_->setBackground(colour);
    scheduleRedraw();
}

void Chart::setBorderVisible(bool visible) {
    setFrameStyle(visible ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
}

void Chart::setVerticalMarginsPercent(int top, int bottom) {
    topMarginPercent_ = top;
    bottomMarginPercent_ = bottom;
    applyVerticalMargins();
    scheduleRedraw();
}

void Chart::applyVerticalMargins() {
    const int height = std::max(1, contentsRect().height());
    plot_->plotLayout()->setMargins(
        QMargins(0, height * topMarginPercent_ / 100, 0, height * bottomMarginPercent_ / 100));
}

void Chart::setLegendVisible(bool visible) {
    legendVisible_ = visible;
    structureDirty_ = true;
    scheduleRedraw();
}

void Chart::setLegendStyle(LegendStyle style) {
    legendStyle_ = style;
    structureDirty_ = true;
    scheduleRedraw();
}

double Chart::axisMinimum(AxisPosition axis) const {
    return state(axis).axis->range().lower;
}

double Chart::axisMaximum(AxisPosition axis) const {
    return state(axis).axis->range().upper;
}

void Chart::zoomTo(double bottomMinimum, double bottomMaximum, double leftMinimum,
                   double leftMaximum) {
    interaction_->zoomTo(bottomMinimum, bottomMaximum, leftMinimum, leftMaximum);
}

void Chart::setZoomAnimationSteps(int steps) {
    interaction_->setAnimationSteps(steps);
}

void Chart::restoreRanges() {
    interaction_->reset();
    for (AxisState& axis : axes_)
        axis.axis->setRange(axis.design.minimum, axis.design.maximum);
    fitAutomaticAxes();
    scheduleRedraw();
}

void Chart::scheduleRedraw() {
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void Chart::redraw() {
    plot_->replot(QCustomPlot::rpImmediateRefresh);
}

// Hands changed series to the plotting component; runs right before every
// redraw, so many changes between two redraws cost one copy per series.
void Chart::synchronise() {
    bool dataChanged = false;
    for (const auto& entry : series_) {
        ChartSeries& series = *entry;
        if (series.dataDirty_) {
            if (series.kind_ == SeriesKind::Line) {
                QVector<QCPGraphData> data;
                data.reserve(series.pointCount());
                for (const ChartSeries::Point& point : series.points_)
                    data.append(QCPGraphData(point.x, point.y));
                static_cast<QCPGraph*>(series.plottable_)->data()->set(data, true);
            } else {
                QVector<QCPBarsData> data;
                data.reserve(series.pointCount());
                for (const ChartSeries::Point& point : series.points_)
                    data.append(QCPBarsData(point.x, point.y));
                static_cast<QCPBars*>(series.plottable_)->data()->set(data, true);
            }
            series.dataDirty_ = false;
            dataChanged = true;
        }
        if (series.styleDirty_) {
            if (series.kind_ == SeriesKind::Line) {
                series.plottable_->setPen(QPen(series.colour_, series.lineWidth_));
            } else {
                auto* bars = static_cast<MarkedBars*>(series.plottable_);
                bars->setPen(QPen(series.colour_.darker(130), 0));
                bars->setBrush(series.colour_);
                bars->marksVisible = series.marksVisible_;
            }
            series.styleDirty_ = false;
        }
    }
    if (structureDirty_) {
        updateLegend();
        dataChanged = true;
        structureDirty_ = false;
    }
    if (dataChanged && !interaction_->zoomed())
        fitAutomaticAxes();
    updateBarWidths();
}

void Chart::updateLegend() {
    QCPLegend* legend = plot_->legend;
    const bool legendShown = legendVisible_ && !series_.empty();
    legend->setVisible(legendShown);
    // A legend not drawn (hidden, or no series yet) gives its column back to
    // the plot: the cell leaves the layout (its margins and minimum width
    // would otherwise keep an empty strip at the right) and returns when the
    // legend is drawn again.
    const bool cellInLayout = plot_->plotLayout()->hasElement(1, 1);
    if (!legendShown && cellInLayout) {
        plot_->plotLayout()->take(legendCell_);
        plot_->plotLayout()->simplify();
    } else if (legendShown && !cellInLayout) {
        plot_->plotLayout()->addElement(1, 1, legendCell_);
        plot_->plotLayout()->setColumnStretchFactor(1, 0.001);
    }
    legend->clearItems();
    for (int position = 0; position < seriesCount(); ++position) {
        QCPAbstractPlottable* plottable = series_[static_cast<std::size_t>(position)]->plottable_;
        plottable->setName(legendText(position));
        if (legendShown)
            plottable->addToLegend(legend);
    }
    if (legendShown)
        arrangeLegendColumns();
}

// Every series has an entry. The entries stand in columns no higher than
// the plot; when one column of entries at the normal size does not hold
// them all, the entries become compact (a smaller font, icon and spacing)
// and take as many columns as they need, the plot giving up the width.
void Chart::arrangeLegendColumns() {
    QCPLegend* legend = plot_->legend;
    const QMargins layoutMargins = plot_->plotLayout()->margins();
    const QMargins legendMargins = legend->margins();
    const int height =
        contentsRect().height() - layoutMargins.top() - layoutMargins.bottom() -
        static_cast<QCPLayoutElement*>(titleElement_)->minimumOuterSizeHint().height() -
        plot_->plotLayout()->rowSpacing() - legendMargins.top() - legendMargins.bottom() - 2;
    const auto entriesPerColumn = [legend, height] {
        // n entries of height h with spacing s need n h + (n - 1) s.
        const int entry = legend->item(0)->minimumOuterSizeHint().height();
        return std::max(1, (height + legend->rowSpacing()) / (entry + legend->rowSpacing()));
    };
    applyLegendSize(false);
    if (entriesPerColumn() < legend->itemCount())
        applyLegendSize(true);
    legend->setWrap(entriesPerColumn());
    legend->setFillOrder(QCPLayoutGrid::foRowsFirst, true);
}

void Chart::applyLegendSize(bool compact) {
    QCPLegend* legend = plot_->legend;
    QFont font = plot_->font();
    if (compact)
        font.setPixelSize(kCompactLegendPixelSize);
    legend->setFont(font);
    legend->setIconSize(compact ? QSize(16, 8) : QSize(24, 10));
    legend->setRowSpacing(compact ? 0 : kLegendRowSpacing);
}

void Chart::fitAutomaticAxes() {
    for (AxisPosition position : {AxisPosition::Bottom, AxisPosition::Left}) {
        AxisState& axis = state(position);
        if (!axis.design.automatic)
            continue;
        const bool horizontal = position == AxisPosition::Bottom;
        double lowest = std::numeric_limits<double>::infinity();
        double highest = -std::numeric_limits<double>::infinity();
        for (const auto& entry : series_) {
            for (const ChartSeries::Point& point : entry->points_) {
                const double value = horizontal ? point.x : point.y;
                if (!std::isfinite(value) || (axis.design.logarithmic && value <= 0))
                    continue;
                lowest = std::min(lowest, value);
                highest = std::max(highest, value);
            }
            if (!horizontal && entry->kind_ == SeriesKind::Bar && !entry->points_.empty()) {
                lowest = std::min(lowest, 0.0);
                highest = std::max(highest, 0.0);
            }
        }
        if (!(lowest <= highest)) {
            axis.axis->setRange(axis.design.minimum, axis.design.maximum);
            continue;
        }
        if (lowest == highest) {
            const double spread = lowest == 0 ? 1 : std::fabs(lowest) * 0.1;
            lowest -= spread;
            highest += spread;
        }
        // The extreme points stand inside the plot frame, not on it.
        if (axis.design.logarithmic) {
            const double factor = std::pow(highest / lowest, kAutomaticMargin);
            lowest /= factor;
            highest *= factor;
        } else {
            const double margin = (highest - lowest) * kAutomaticMargin;
            lowest -= margin;
            highest += margin;
        }
        axis.axis->setRange(lowest, highest);
    }
}

// Bars share the space per point: 70 % of (plot width / most points in a
// bar series), divided among the bar series, side by side.
void Chart::updateBarWidths() {
    int barSeries = 0;
    int mostPoints = 0;
    for (const auto& entry : series_) {
        if (entry->kind_ == SeriesKind::Bar) {
            ++barSeries;
            mostPoints = std::max(mostPoints, entry->pointCount());
        }
    }
    if (barSeries == 0 || mostPoints == 0)
        return;
    const double width = std::max(1.0, 0.7 * plot_->axisRect()->width() / mostPoints / barSeries);
    for (const auto& entry : series_) {
        if (entry->kind_ == SeriesKind::Bar)
            static_cast<QCPBars*>(entry->plottable_)->setWidth(width);
    }
}

QImage Chart::toImage() {
    synchronise();
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // The plot's area inside the border, laid out even when the chart has
    // never been shown.
    const QRect area = contentsRect();
    const QPixmap plot = plot_->toPixmap(area.width(), area.height());
    painter.drawPixmap(area.topLeft(), plot);
    if (frameStyle() != QFrame::NoFrame) {
        painter.setPen(QPen(Qt::black, 0));
        painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
    }
    return image;
}

void Chart::saveBitmap(const QString& path) {
    if (!toImage().save(path, "BMP"))
        throw QuorvaneError("Cannot create file " + path.toStdString());
}

void Chart::savePng(const QString& path) {
    if (!toImage().save(path, "PNG"))
        throw QuorvaneError("Cannot create file " + path.toStdString());
}

void Chart::savePdf(const QString& path) {
    synchronise();
    const QRect area = contentsRect();
    if (!plot_->savePdf(path, std::max(1, area.width()), std::max(1, area.height())))
        throw QuorvaneError("Cannot create file " + path.toStdString());
}

void Chart::print(QPrinter& printer) {
    synchronise();
    // The chart is recorded as drawing commands at its on-screen size and
    // replayed on the page, scaled to fit and centred: lines stay lines and
    // text stays text. The recording keeps every font at its size relative
    // to the chart (drawn straight on the printer, fonts sized in points
    // would grow with the printer's resolution and then again with the
    // scale). Hairline pens become one chart pixel wide, so that they scale
    // with the rest instead of printing one printer dot wide.
    const QRect area = contentsRect();
    const int width = std::max(1, area.width());
    const int height = std::max(1, area.height());
    QPicture picture;
    {
        QCPPainter recorder(&picture);
        recorder.setMode(QCPPainter::pmVectorized);
        recorder.setMode(QCPPainter::pmNonCosmetic);
        plot_->toPainter(&recorder, width, height);
    }
    QPainter painter(&printer);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / width, page.height() / height);
    painter.translate((page.width() - width * scale) / 2, (page.height() - height * scale) / 2);
    // A picture replays at the printer's resolution relative to its own.
    const double replay = static_cast<double>(picture.logicalDpiX()) / printer.logicalDpiX();
    painter.scale(scale * replay, scale * replay);
    painter.drawPicture(0, 0, picture);
}

void Chart::printPreview(QWidget* owner) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    // With no printer installed the preview prints to a PDF file.
    if (QPrinterInfo::availablePrinters().isEmpty())
        printer.setOutputFormat(QPrinter::PdfFormat);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setWindowTitle(QStringLiteral("Print Preview"));
    dialog.setWindowModality(Qt::ApplicationModal);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { print(*target); });
    dialog.exec();
    redraw();
}

void Chart::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    applyVerticalMargins();
    structureDirty_ = true;
    scheduleRedraw();
}

}  // namespace quorvane
