#include "views/time_constants_window.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>

#include "data/error.h"
#include "data/extended_exp.h"
#include "data/number_format.h"
#include "data/workspace.h"
#include "fit/profile_intervals.h"
#include "fit/standard_errors.h"
#include "views/interval_report.h"
#include "views/main_window_link.h"
#include "views/table_selection.h"

namespace quorvane {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QString componentLabel(const char* prefix, int j) {
    return QString::fromLatin1(prefix) + QString::number(j);
}

constexpr int kIntervalColumn = 2;
constexpr int kFirstCorrelationColumn = 3;

}  // namespace

TimeConstantsWindow::TimeConstantsWindow(QWidget* parent, MainWindowLink* mainWindow)
    : QWidget(parent, Qt::Window), mainWindow_(mainWindow) {
    setWindowTitle(QStringLiteral("Time constants"));
    resize(560, 220);
    auto* layout = new QVBoxLayout(this);
    messageLabel = new QLabel(this);
    messageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    table = new QTableWidget(this);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    intervalLabel = new QLabel(this);
    intervalLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    intervalLabel->setWordWrap(true);
    computeButton = new QPushButton(QStringLiteral("Compute intervals"), this);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setEnabled(false);
    progressBar = new QProgressBar(this);
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(computeButton);
    intervalRow->addWidget(progressBar, 1);
    intervalRow->addWidget(cancelButton);
    layout->addWidget(messageLabel);
    layout->addWidget(table);
    layout->addLayout(intervalRow);
    layout->addWidget(intervalLabel);
    connect(computeButton, &QPushButton::clicked, this, &TimeConstantsWindow::computeIntervals);
    connect(cancelButton, &QPushButton::clicked, this, &TimeConstantsWindow::cancelIntervals);
    auto* copy = new QAction(QStringLiteral("Copy"), table);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &TimeConstantsWindow::copySelection);
    table->addAction(copy);
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TimeConstantsWindow::showTimeConstants() {
    if (running_) {
        // The table stays that of the profile running.
        show();
        raise();
        return;
    }
    if (workspace.fitCount == 0 || workspace.laidOutCurveCount != workspace.curveCount)
        throw QuorvaneError("No fit of the loaded traces: press Start first");
    const StandardErrors errors = computeStandardErrors();
    const int n = workspace.componentCount;
    table->clear();
    table->setRowCount(n);
    table->setColumnCount(kFirstCorrelationColumn + n);
    QStringList headers{QStringLiteral("t"), QStringLiteral("SE"), QStringLiteral("95 % interval")};
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
            table->setItem(i - 1, kFirstCorrelationColumn - 1 + j,
                           new QTableWidgetItem(text(formatFixed6(errors.correlation[i][j]))));
    }
    messageLabel->setText(errors.valid ? QStringLiteral("s2 = ") +
                                             text(formatGeneral15(errors.residualVariance))
                                       : text(errors.message));
    intervalLabel->clear();
    progressBar->setValue(0);
    computeButton->setEnabled(n > 0);
    fitWindowToTable();
    show();
    raise();
}

void TimeConstantsWindow::fitWindowToTable() {
    table->resizeColumnsToContents();
    // The interval column has room for two bounds before it is filled.
    const int intervalWidth =
        table->fontMetrics().horizontalAdvance(QStringLiteral("[9.99999E-9, > 9.99999E-9]")) + 12;
    table->setColumnWidth(kIntervalColumn,
                          std::max(intervalWidth, table->columnWidth(kIntervalColumn)));
    // The window fits the table of up to nine components, the buttons and
    // the intervals' line below it.
    const int frame = 2 * table->frameWidth();
    const int margins = 2 * layout()->contentsMargins().left();
    const int below = computeButton->sizeHint().height() +
                      intervalLabel->fontMetrics().height() + 2 * layout()->spacing();
    resize(std::max(320, table->verticalHeader()->sizeHint().width() +
                             table->horizontalHeader()->length() + frame + margins),
           std::max(160, messageLabel->sizeHint().height() + layout()->spacing() +
                             table->horizontalHeader()->sizeHint().height() +
                             table->verticalHeader()->length() + frame + margins + below));
}

void TimeConstantsWindow::clearIntervals() {
    for (int row = 0; row < table->rowCount(); ++row)
        delete table->takeItem(row, kIntervalColumn);
    intervalLabel->clear();
    progressBar->setValue(0);
}

void TimeConstantsWindow::computeIntervals() {
    if (running_)
        return;
    clearIntervals();
    // Whatever way the run ends, the buttons and the main window's commands
    // come back.
    struct RunState {
        TimeConstantsWindow& window;
        explicit RunState(TimeConstantsWindow& w) : window(w) {
            window.running_ = true;
            window.cancelRequested_ = false;
            window.computeButton->setEnabled(false);
            window.cancelButton->setEnabled(true);
            if (window.mainWindow_ != nullptr)
                window.mainWindow_->setFitCommandsEnabled(false);
        }
        ~RunState() {
            window.running_ = false;
            window.computeButton->setEnabled(true);
            window.cancelButton->setEnabled(false);
            if (window.mainWindow_ != nullptr)
                window.mainWindow_->setFitCommandsEnabled(true);
        }
    } state(*this);
    intervalLabel->setText(QStringLiteral("Profiling the sum of squares..."));
    const ProfileIntervals intervals = computeProfileIntervals([this](double done) {
        progressBar->setValue(static_cast<int>(done * 100.0));
        QCoreApplication::processEvents();
        return !cancelRequested_;
    });
    if (!intervals.valid) {
        progressBar->setValue(0);
        intervalLabel->setText(text(intervals.message));
        return;
    }
    progressBar->setValue(100);
    QString notes;
    for (int j = 1; j <= intervals.componentCount && j <= table->rowCount(); ++j) {
        table->setItem(j - 1, kIntervalColumn,
                       new QTableWidgetItem(text(intervalText(intervals.interval[j]))));
        if (!intervals.interval[j].note.empty())
            notes +=
                componentLabel("; t", j) + QStringLiteral(": ") + text(intervals.interval[j].note);
    }
    intervalLabel->setText(QStringLiteral("95 % intervals: S <= ") +
                           text(formatGeneral15(intervals.threshold)) + notes);
    fitWindowToTable();
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
