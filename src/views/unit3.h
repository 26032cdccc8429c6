// Form3, "Var-Cov Matrix": the variance-covariance block of the log-rates.
#pragma once

#include <QString>
#include <QTableWidget>
#include <QWidget>

namespace quorvane {

class TForm3 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm3(QWidget* parent = nullptr);

    // Tools > Var-Cov Matrix: computes the block and shows the window.
    // Throws QuorvaneError on failure (the window then stays as it was).
    void showCovariance();

    // The 10 x 10 grid: its fixed row 0 and fixed column 0 are the table's
    // horizontal and vertical headers, cell (column a, row b) of the value
    // area, a, b = 1..9, is the table item at row b-1, column a-1.
    QTableWidget* StringGrid1;

    // The text of grid cell (column, row), 0..9 each, the headers included;
    // the corner (0, 0) is never written and reads empty.
    QString cellText(int column, int row) const;

    // Puts the selected value cells on the clipboard: one line per row,
    // the cells TAB-separated (unselected cells inside the block empty).
    void copySelection();

  private:
    void setCellText(int column, int row, const QString& text);
};

}  // namespace quorvane
