// The chart layer: the only code that talks to the plotting component. A
// Chart is one plot with an ordered list of line and bar series; every
// window that plots uses it.
//
// Series list: series are attached in order and addressed by 0-based
// position; freeing one moves the later ones down by one. The chart owns its
// series (and the chart is owned by its window, so every series lives until
// its chart's window is destroyed unless freed earlier); a freed series'
// pointer is invalid afterwards.
//
// Points: a series keeps its points in ascending x; a point whose x equals
// that of earlier points goes after them (stable insertion). The points are
// the series' own; the plotting component receives a copy only when the
// chart is redrawn, and only for series that changed since, so adding 20000
// points costs one copy and a repaint never rebuilds unchanged series.
//
// Colours: every point carries its colour, but a series is drawn in one
// colour, the colour of its most recently added point. The program gives
// all points of a series one colour (black traces, red fits, residual bars
// and spectra), so nothing it draws depends on this.
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
#include <QPen>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QCustomPlot;
class QCPAbstractPlottable;
class QCPAxis;
class QCPBarsGroup;
class QCPTextElement;
class QCPLayoutGrid;
class QImage;
class QPrinter;

namespace quorvane {

class Chart;
class ChartInteraction;

enum class SeriesKind { Line, Bar };

class ChartSeries {
  public:
    struct Point {
        double x;
        double y;
        QColor colour;
    };

    SeriesKind kind() const { return kind_; }

    const QString& title() const { return title_; }
    void setTitle(const QString& title);

    // Inserts after every point with x <= the new x (see the file comment).
    void addPoint(double x, double y, QColor colour);

    int pointCount() const { return static_cast<int>(points_.size()); }
    // The point at 0-based `index` in ascending-x order.
    const Point& point(int index) const { return points_[static_cast<std::size_t>(index)]; }
    // The colour the series is drawn in (that of its last added point; black
    // while it has none).
    QColor colour() const { return colour_; }

    // Width of a line series' pen in pixels.
    void setLineWidth(int pixels);
    int lineWidth() const { return lineWidth_; }

    // Value labels above a bar series' bars; on by default, as the charting
    // component the program was designed with has them.
    void setMarksVisible(bool visible);
    bool marksVisible() const { return marksVisible_; }

    Chart& chart() const { return chart_; }

    ChartSeries(const ChartSeries&) = delete;
    ChartSeries& operator=(const ChartSeries&) = delete;
    ~ChartSeries();

  private:
    friend class Chart;
    ChartSeries(Chart& chart, SeriesKind kind, QCPAbstractPlottable* plottable);
    void changed();

    Chart& chart_;
    SeriesKind kind_;
    QCPAbstractPlottable* plottable_;
    QString title_;
    std::vector<Point> points_;
    QColor colour_ = Qt::black;
    int lineWidth_ = 1;
    bool marksVisible_ = true;
    bool dataDirty_ = false;
    bool styleDirty_ = true;
};

// One axis' design. With `automatic` the range follows the data of every
// series; otherwise it is fixed at minimum..maximum.
struct AxisDesign {
    bool visible = true;
    bool logarithmic = false;
    bool automatic = true;
    double minimum = 0;
    double maximum = 1;
    // Text of a value label, given the spacing of the labels near it (0
    // when it has none, as at the powers of ten of a logarithmic axis);
    // empty: the component's default number text. Ticks: log_axis_ticker.h
    // for a logarithmic axis, the component's placement for a linear one.
    using LabelText = std::function<QString(double value, double resolution)>;
    LabelText labelText;
    bool labelsVisible = true;
    QString title;
    QColor axisColour = Qt::black;
    QColor tickColour = Qt::black;
    int tickLengthOutside = 4;
    int tickLengthInside = 0;
    // Minor ticks between two labelled ticks (8 on a logarithmic axis puts
    // them at 2..9 times each power of ten).
    int minorTickCount = 0;
    int minorTickLengthOutside = 2;
    int minorTickLengthInside = 0;
    bool gridVisible = true;
    QPen gridPen = QPen(QColor(160, 160, 160), 0, Qt::DotLine);
    bool minorGridVisible = false;
    QPen minorGridPen = QPen(QColor(160, 160, 160), 0, Qt::DotLine);
    // Approximate number of labelled ticks on a linear axis.
    int labelCountHint = 6;
};

enum class AxisPosition { Bottom, Left, Top, Right };

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
    void freeAllSeries();

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

    // Current visible range of an axis (after zoom or pan).
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
    void scheduleRedraw();
    void synchronise();
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
