// The chart layer: the only code that talks to the plotting component. A
// Chart is one plot with an ordered list of line and bar series
// (chart_series.h); every window that plots uses it. Its work is spread
// over chart.cpp (series list, design, redrawing), chart_axes.cpp,
// chart_legend.cpp and chart_output.cpp (pictures, PDF and printing).
//
// Series list: series are attached in order and addressed by 0-based
// position; freeing one moves the later ones down by one. The chart owns its
// series (and the chart is owned by its window, so every series lives until
// its chart's window is destroyed unless freed earlier); a freed series'
// pointer is invalid afterwards.
//
// Legend: one entry per series (the only legend style the program uses),
// showing the series' title, or "Series " and its 0-based position when the
// title is empty. Every series keeps its entry: entries that one column
// beside the plot cannot hold take further columns (see
// arrangeLegendColumns).
//
// Mouse: zoom and pan as chart_interaction.h describes; restoring the view
// puts the design ranges back.
#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QString>
#include <memory>
#include <vector>

#include "chart/axis_design.h"
#include "chart/chart_series.h"

class QCustomPlot;
class QCPAxis;
class QCPBarsGroup;
class QCPTextElement;
class QCPLayoutGrid;
class QImage;
class QPrinter;

namespace quorvane {

class ChartInteraction;

enum class LegendStyle { Series };

class Chart : public QFrame {
    Q_OBJECT

  public:
    explicit Chart(QWidget* parent = nullptr);
    ~Chart() override;

    // Series list.
    ChartSeries* addLineSeries();
    ChartSeries* addBarSeries();
    int seriesCount() const { return static_cast<int>(series_.size()); }
    ChartSeries* series(int position) const;
    // 0-based position, or -1 when `series` is not (or no longer) on this chart.
    int positionOf(const ChartSeries* series) const;
    void freeSeries(ChartSeries* series);

    // What the legend shows for the series at `position`.
    QString legendText(int position) const;

    // Design.
    void setTitle(const QString& text);
    void setTitleFont(const QFont& font, QColor colour);
    QString title() const;
    void setAxisDesign(AxisPosition axis, const AxisDesign& design);
    const AxisDesign& axisDesign(AxisPosition axis) const;
    void setBackgroundColour(QColor colour);
    void setBorderVisible(bool visible);
    // Empty space above and below the plot, in per cent of the chart height.
    void setVerticalMarginsPercent(int top, int bottom);
    void setLegendVisible(bool visible);
    bool legendVisible() const { return legendVisible_; }
    void setLegendStyle(LegendStyle style);
    LegendStyle legendStyle() const { return legendStyle_; }
    void setZoomAnimationSteps(int steps);

    // Current visible range of an axis (after zoom or pan), in values (on a
    // linear-logarithmic axis too).
    double axisMinimum(AxisPosition axis) const;
    double axisMaximum(AxisPosition axis) const;
    // Zooms to the given ranges at once (no animation).
    void zoomTo(double bottomMinimum, double bottomMaximum, double leftMinimum, double leftMaximum);
    // The design ranges again (automatic axes fitted to the data).
    void restoreRanges();

    // Draws the chart now, at its on-screen size.
    void redraw();
    // The chart at its on-screen size on a white background.
    QImage toImage();
    // Writes toImage() as a Windows bitmap; throws QuorvaneError "Cannot
    // create file <path>" when the file cannot be written.
    void saveBitmap(const QString& path);
    // Writes toImage() as a PNG picture; the same error.
    void savePng(const QString& path);
    // Writes the chart as a one-page PDF vector drawing of its on-screen
    // size (lines stay lines, texts stay searchable text); the same error.
    void savePdf(const QString& path);
    // Draws the chart onto the printer's page as vector drawing (lines and
    // text, no picture), scaled to fit and centred.
    void print(QPrinter& printer);
    // The modal print preview ("Print Preview") owned by `owner`;
    // the chart is redrawn when it closes.
    void printPreview(QWidget* owner);

  private:
    friend class ChartSeries;
    struct AxisState {
        AxisDesign design;
        QCPAxis* axis = nullptr;
    };

    AxisState& state(AxisPosition axis);
    const AxisState& state(AxisPosition axis) const;
    void applyAxisDesign(AxisState& state);
    // The map from values to the component's coordinates on the bottom axis:
    // the positions of a linear-logarithmic design, otherwise the identity
    // (the component maps a logarithmic axis itself).
    AxisScale bottomPlotScale() const;
    // Sets the component's range of `axis` to the design's minimum..maximum.
    void applyDesignRange(AxisState& axis);
    void scheduleRedraw();
    void synchronise();
    void synchroniseErrorBars(ChartSeries& series);
    void updateLegend();
    void arrangeLegendColumns();
    void applyLegendSize(bool compact);
    void fitAutomaticAxes();
    void updateBarWidths();
    void applyVerticalMargins();
    void resizeEvent(QResizeEvent* event) override;

    QCustomPlot* plot_;
    QCPTextElement* titleElement_;
    QCPLayoutGrid* legendCell_;
    QCPBarsGroup* barsGroup_ = nullptr;
    int topMarginPercent_ = 0;
    int bottomMarginPercent_ = 0;
    std::vector<std::unique_ptr<ChartSeries>> series_;
    AxisState axes_[4];
    bool legendVisible_ = true;
    LegendStyle legendStyle_ = LegendStyle::Series;
    bool structureDirty_ = true;
    ChartInteraction* interaction_;
};

}  // namespace quorvane
