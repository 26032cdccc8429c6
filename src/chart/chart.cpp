#include "chart/chart.h"

#include <qcustomplot.h>
#include <QVBoxLayout>
#include <algorithm>

#include "chart/chart_interaction.h"
#include "chart/marked_bars.h"

namespace quorvane {

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
    if (series->errorBars_ != nullptr)
        plot_->removePlottable(series->errorBars_);
    plot_->removePlottable(series->plottable_);
    series_.erase(series_.begin() + position);
    structureDirty_ = true;
    scheduleRedraw();
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
    const AxisScale bottom = bottomPlotScale();
    for (const auto& entry : series_) {
        ChartSeries& series = *entry;
        if (series.dataDirty_) {
            if (series.kind_ == SeriesKind::Line) {
                QVector<QCPGraphData> data;
                data.reserve(series.pointCount());
                for (const ChartSeries::Point& point : series.points_.items())
                    data.append(QCPGraphData(bottom.position(point.x), point.y));
                static_cast<QCPGraph*>(series.plottable_)->data()->set(data, true);
                synchroniseErrorBars(series);
            } else {
                QVector<QCPBarsData> data;
                data.reserve(series.pointCount());
                for (const ChartSeries::Point& point : series.points_.items())
                    data.append(QCPBarsData(bottom.position(point.x), point.y));
                static_cast<QCPBars*>(series.plottable_)->data()->set(data, true);
            }
            series.dataDirty_ = false;
            dataChanged = true;
        }
        if (series.styleDirty_) {
            if (series.kind_ == SeriesKind::Line) {
                series.plottable_->setPen(QPen(series.colour_, series.lineWidth_));
                static_cast<QCPGraph*>(series.plottable_)
                    ->setScatterStyle(series.pointMarkersVisible_
                                          ? QCPScatterStyle(QCPScatterStyle::ssDisc, 6)
                                          : QCPScatterStyle(QCPScatterStyle::ssNone));
                if (series.errorBars_ != nullptr)
                    series.errorBars_->setPen(QPen(series.colour_, 1));
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

// A line series' error bars: made when first shown, data in the graph's
// point order, hidden while off.
void Chart::synchroniseErrorBars(ChartSeries& series) {
    if (series.errorBars_ == nullptr) {
        if (!series.errorBarsVisible_)
            return;
        series.errorBars_ =
            new QCPErrorBars(series.plottable_->keyAxis(), series.plottable_->valueAxis());
        series.errorBars_->setDataPlottable(static_cast<QCPGraph*>(series.plottable_));
        series.errorBars_->setErrorType(QCPErrorBars::etValueError);
        series.errorBars_->setWhiskerWidth(5);
        series.errorBars_->setAntialiased(false);
        series.errorBars_->setPen(QPen(series.colour_, 1));
        series.errorBars_->removeFromLegend();
    }
    series.errorBars_->setVisible(series.errorBarsVisible_);
    QVector<QCPErrorBarsData> errors;
    errors.reserve(series.pointCount());
    for (const ChartSeries::Point& point : series.points_.items())
        errors.append(QCPErrorBarsData(point.error));
    series.errorBars_->setData(QSharedPointer<QCPErrorBarsDataContainer>::create(errors));
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

void Chart::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    applyVerticalMargins();
    structureDirty_ = true;
    scheduleRedraw();
}

}  // namespace quorvane
