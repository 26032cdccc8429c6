#include "views/time_constants_window.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>

#include "data/error.h"
#include "data/extended_exp.h"
#include "data/number_format.h"
#include "data/workspace.h"
#include "fit/standard_errors.h"
#include "views/table_selection.h"

namespace quorvane {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QString componentLabel(const char* prefix, int j) {
    return QString::fromLatin1(prefix) + QString::number(j);
}

}  // namespace

TimeConstantsWindow::TimeConstantsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Time constants"));
    resize(560, 220);
    auto* layout = new QVBoxLayout(this);
    messageLabel = new QLabel(this);
    messageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    table = new QTableWidget(this);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(messageLabel);
    layout->addWidget(table);
    auto* copy = new QAction(QStringLiteral("Copy"), table);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &TimeConstantsWindow::copySelection);
    table->addAction(copy);
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TimeConstantsWindow::showTimeConstants() {
    if (workspace.fitCount == 0 || workspace.laidOutCurveCount != workspace.curveCount)
        throw QuorvaneError("No fit of the loaded traces: press Start first");
    const StandardErrors errors = computeStandardErrors();
    const int n = workspace.componentCount;
    table->clear();
    table->setRowCount(n);
    table->setColumnCount(2 + n);
    QStringList headers{QStringLiteral("t"), QStringLiteral("SE")};
    for (int j = 1; j <= n; ++j)
        headers << componentLabel("ln t", j);
    table->setHorizontalHeaderLabels(headers);
    for (int i = 1; i <= n; ++i) {
        table->setVerticalHeaderItem(i - 1, new QTableWidgetItem(componentLabel("t", i)));
        const long double t = extendedExp(-workspace.ParameterVector[rateIndex(i)]);
        table->setItem(i - 1, 0, new QTableWidgetItem(text(formatExponent6(t))));
        if (!errors.valid)
            continue;
        table->setItem(i - 1, 1,
                       new QTableWidgetItem(text(formatExponent6(errors.timeConstant[i]))));
        for (int j = 1; j <= n; ++j)
            table->setItem(i - 1, 1 + j,
                           new QTableWidgetItem(text(formatFixed6(errors.correlation[i][j]))));
    }
    messageLabel->setText(errors.valid ? QStringLiteral("s2 = ") +
                                             text(formatGeneral15(errors.residualVariance))
                                       : text(errors.message));
    table->resizeColumnsToContents();
    // The window fits the table of up to nine components.
    const int frame = 2 * table->frameWidth();
    const int margins = 2 * layout()->contentsMargins().left();
    resize(std::max(320, table->verticalHeader()->sizeHint().width() +
                             table->horizontalHeader()->length() + frame + margins),
           std::max(160, messageLabel->sizeHint().height() + layout()->spacing() +
                             table->horizontalHeader()->sizeHint().height() +
                             table->verticalHeader()->length() + frame + margins));
    show();
    raise();
}

void TimeConstantsWindow::copySelection() {
    const QString text = selectionText(*table, [this](int row, int column) {
        const QTableWidgetItem* item = table->item(row, column);
        return item != nullptr ? item->text() : QString();
    });
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

}  // namespace quorvane
