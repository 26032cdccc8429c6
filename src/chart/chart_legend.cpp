// The legend of a Chart: one entry per series, in as many columns beside
// the plot as the entries need.
#include <qcustomplot.h>
#include <algorithm>

#include "chart/chart.h"

namespace quorvane {

namespace {

// The legend's entries: character height of a compact entry, spacing
// between normal ones.
constexpr int kCompactLegendPixelSize = 10;
constexpr int kLegendRowSpacing = 3;

}  // namespace

QString Chart::legendText(int position) const {
    const ChartSeries* entry = series(position);
    if (entry == nullptr)
        return {};
    if (!entry->title().isEmpty())
        return entry->title();
    return QStringLiteral("Series ") + QString::number(position);
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

}  // namespace quorvane
