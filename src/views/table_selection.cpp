#include "views/table_selection.h"

#include <QItemSelectionModel>
#include <QStringList>
#include <algorithm>

namespace quorvane {

QString selectionText(const QTableWidget& table,
                      const std::function<QString(int row, int column)>& cell) {
    const QItemSelectionModel* selection = table.selectionModel();
    const QModelIndexList selected = selection->selectedIndexes();
    if (selected.isEmpty())
        return QString();
    int top = selected.first().row(), bottom = top;
    int left = selected.first().column(), right = left;
    for (const QModelIndex& index : selected) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    QStringList rows;
    for (int row = top; row <= bottom; ++row) {
        QStringList cells;
        for (int column = left; column <= right; ++column) {
            const bool taken = selection->isSelected(table.model()->index(row, column));
            cells << (taken ? cell(row, column) : QString());
        }
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows.join(QLatin1Char('\n'));
}

}  // namespace quorvane
