// A colour map of a time x wavelength matrix: the wavelengths across (the
// bottom axis), the times up (the left axis, logarithmic or linear), the
// value of every cell as a colour of a diverging scale centred at zero (blue
// for negative values, white at 0, red for positive ones) with its colour
// bar at the right, and chosen wavelengths marked by ticks on the top axis.
//
// Cells: every row (time) and column (wavelength) of the matrix is a cell
// reaching halfway to its neighbours on the axis as drawn (in log10 of the
// time on the logarithmic axis), the first and the last as far out as
// their inner halves. A spacing more than twice the spacings on both sides
// of it is a gap (an excluded band, a stretch without delays): the cells
// beside it reach into it by half the smaller of those spacings, and the
// rest of it is grey. The axes may come in any order (a time axis that
// decreases, traces loaded in any order of wavelength); a value that is not
// finite, or a time <= 0 on the logarithmic axis, gives no cell, and of
// equal coordinates only the first gives one.
//
// Drawing: the cells are sampled onto a regular grid of the axes as drawn
// (4 grid cells per matrix cell on average, 256 to 1536 per axis), each grid
// cell taking the cell under its centre, and the grid is drawn as one
// picture: a map of 300 wavelengths x 20000 times costs one pass over the
// grid, whatever the matrix size.
//
// The colour scale runs from -L to +L, L the largest magnitude of the cells
// drawn (1 when they are all 0), so that 0 is white.
//
// Mouse: zoom and pan as chart_interaction.h describes; restoring the view
// shows every cell again.
#pragma once

#include <QFrame>
#include <QString>
#include <memory>
#include <vector>

#include "data/measurement.h"

class QCustomPlot;
class QCPColorMap;
class QCPColorScale;
class QCPTextElement;
class QImage;

namespace quorvane {

class ChartInteraction;

class ColourMapChart : public QFrame {
    Q_OBJECT

  public:
    explicit ColourMapChart(QWidget* parent = nullptr);
    ~ColourMapChart() override;

    // The matrix drawn (rows the times, columns the wavelengths), shared
    // with the caller, never changed.
    void setMatrix(std::shared_ptr<const KineticMatrix> matrix);
    const KineticMatrix& matrix() const { return *matrix_; }

    void setTimeAxisLogarithmic(bool logarithmic);
    bool timeAxisLogarithmic() const { return logarithmic_; }

    // Marked by ticks on the top axis; values that are not finite are left out.
    void setMarkedWavelengths(const std::vector<double>& wavelengths);
    const std::vector<double>& markedWavelengths() const { return marked_; }

    void setTitle(const QString& text);
    QString title() const;
    void setAxisTitles(const QString& wavelength, const QString& time, const QString& colour);

    // The range of the colour scale: -L and +L (see the file comment).
    double colourMinimum() const { return -colourLimit_; }
    double colourMaximum() const { return colourLimit_; }

    // The value of the cell drawn at (time, wavelength), NaN where no cell
    // is drawn.
    double drawnValue(double time, double wavelength) const;
    // Rows of the matrix that give no cell (times <= 0 on the logarithmic
    // axis, times that are not finite).
    int undrawnTimeCount() const { return undrawnTimes_; }
    // Grid cells along the wavelength and the time axis.
    int gridColumns() const { return wavelengthAxis_.gridCells; }
    int gridRows() const { return timeAxis_.gridCells; }

    // Output as Chart has it: the picture at the on-screen size on a white
    // background, as a Windows bitmap or PNG, and a one-page PDF vector
    // drawing (the cells as one picture); each throws QuorvaneError "Cannot
    // create file <path>".
    QImage toImage();
    void saveBitmap(const QString& path);
    void savePng(const QString& path);
    void savePdf(const QString& path);
    // Draws the chart now.
    void redraw();

  private:
    // One axis of the matrix as drawn: its cells in the order of the axis
    // and the grid laid over them.
    struct DrawnAxis {
        std::vector<std::size_t> order;  // the matrix indices drawn, by coordinate
        std::vector<double> lower;       // each cell's edges, in coordinates
        std::vector<double> upper;
        int gridCells = 0;
        // The matrix index under each grid cell, -1 in a gap.
        std::vector<std::ptrdiff_t> gridSource;
        double gridStep = 0;

        bool empty() const { return order.empty(); }
        // The grid cell at coordinate `u`, or -1 outside the cells.
        int gridCellAt(double u) const;
    };

    static DrawnAxis layOutAxis(const std::vector<double>& values, bool logarithmic);
    double timeCoordinate(double time) const;
    void rebuild();
    void fillGrid();
    void showWholeMap();

    QCustomPlot* plot_;
    QCPTextElement* titleElement_;
    QCPColorMap* colourMap_;
    QCPColorScale* colourScale_;
    ChartInteraction* interaction_;
    std::shared_ptr<const KineticMatrix> matrix_;
    std::vector<double> marked_;
    bool logarithmic_ = true;
    DrawnAxis timeAxis_;
    DrawnAxis wavelengthAxis_;
    int undrawnTimes_ = 0;
    double colourLimit_ = 1;
};

}  // namespace quorvane
