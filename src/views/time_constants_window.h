// Tools > "Time constants": the fitted time constants with their standard
// errors and the correlation matrix of the ln t_j (fit/standard_errors.h),
// from the fit as it stands when the command is given. One row per
// component: "t_j", "SE", then the correlations with ln t_1..ln t_n. The
// cells are read-only, selectable and copyable (Ctrl+C or the context
// menu: one line per row, the cells TAB-separated, as the Var-Cov window).
// When there are no standard errors the window shows the reason instead.
//
// The column "95 % interval" (after "SE") stays empty until "Compute
// intervals" profiles the sum of squares (fit/profile_intervals.h). The
// profile runs on the GUI thread, letting the window process its events
// between profile points and refit iterations as Start does, with a progress
// bar and Cancel; meanwhile the main window's fit commands (Start, Open,
// Clear, ...) are off, so that nothing changes the workspace under it. A
// cancelled run leaves the column empty. clearIntervals() empties it; the
// main window calls it after every Start.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

namespace quorvane {

class MainWindowLink;

class TimeConstantsWindow : public QWidget {
    Q_OBJECT

  public:
    // mainWindow: whose fit commands go off during a profile (may be null).
    explicit TimeConstantsWindow(QWidget* parent = nullptr, MainWindowLink* mainWindow = nullptr);

    // Computes the errors of the current fit and shows the window. Throws
    // QuorvaneError "No fit of the loaded traces: press Start first" when no
    // Start has completed on the loaded traces.
    void showTimeConstants();

    // Puts the selected cells on the clipboard.
    void copySelection();

    // Profiles every time constant and fills the interval column; returns
    // when done or cancelled. Nothing happens while a profile runs already.
    void computeIntervals();
    void cancelIntervals() { cancelRequested_ = true; }
    void clearIntervals();
    bool intervalsRunning() const { return running_; }

    QTableWidget* table;
    QLabel* messageLabel;   // s2, or why there are no errors
    QLabel* intervalLabel;  // the profile's threshold, or why there are no intervals
    QPushButton* computeButton;
    QPushButton* cancelButton;
    QProgressBar* progressBar;

  private:
    void fitWindowToTable();

    MainWindowLink* mainWindow_;
    bool running_ = false;
    bool cancelRequested_ = false;
};

}  // namespace quorvane
