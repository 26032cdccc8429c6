// The text of a table's selection as the result windows copy it: one line
// per row of the selection's bounding block, its cells TAB-separated, the
// cells inside the block that are not selected left empty.
#pragma once

#include <QString>
#include <QTableWidget>
#include <functional>

namespace quorvane {

// cell(row, column): the text of a table cell (0-based, as the model's).
QString selectionText(const QTableWidget& table,
                      const std::function<QString(int row, int column)>& cell);

}  // namespace quorvane
