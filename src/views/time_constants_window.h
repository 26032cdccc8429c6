// Tools > "Time constants": the fitted time constants with their standard
// errors and the correlation matrix of the ln t_j (fit/standard_errors.h),
// from the fit as it stands when the command is given. One row per
// component: "t_j", "SE", then the correlations with ln t_1..ln t_n. The
// cells are read-only, selectable and copyable (Ctrl+C or the context
// menu: one line per row, the cells TAB-separated, as the Var-Cov window).
// When there are no standard errors the window shows the reason instead.
#pragma once

#include <QLabel>
#include <QTableWidget>
#include <QWidget>

namespace quorvane {

class TimeConstantsWindow : public QWidget {
    Q_OBJECT

  public:
    explicit TimeConstantsWindow(QWidget* parent = nullptr);

    // Computes the errors of the current fit and shows the window. Throws
    // QuorvaneError "No fit of the loaded traces: press Start first" when no
    // Start has completed on the loaded traces.
    void showTimeConstants();

    // Puts the selected cells on the clipboard.
    void copySelection();

    QTableWidget* table;
    QLabel* messageLabel;  // s2, or why there are no errors
};

}  // namespace quorvane
