#include "views/unit3.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

#include "views/covariance_report.h"
#include "views/report_text.h"
#include "views/table_selection.h"
#include "views/view_style.h"

namespace quorvane {

namespace {

constexpr int kValueCells = 9;
constexpr int kColumnWidth = 75;
constexpr int kRowHeight = 24;

}  // namespace

TForm3::TForm3(QWidget* parent) : QWidget(parent, fixedWindowFlags()) {
    designFixedWindow(*this, QStringLiteral("Var-Cov Matrix"), {767, 258}, {285, 233});
    setFont(msSansSerif(11));

    StringGrid1 = new QTableWidget(kValueCells, kValueCells, this);
    StringGrid1->setGeometry(0, 0, 767, 258);
    const QFont cellFont = msSansSerif(13, true);
    StringGrid1->setFont(cellFont);
    StringGrid1->horizontalHeader()->setFont(cellFont);
    StringGrid1->verticalHeader()->setFont(cellFont);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->verticalHeader()->setHighlightSections(false);
    // Text wider than a cell is clipped, not elided.
    StringGrid1->setTextElideMode(Qt::ElideNone);
    QPalette palette = StringGrid1->palette();
    palette.setColor(QPalette::Base, desktopColour());
    palette.setColor(QPalette::Text, Qt::yellow);
    StringGrid1->setPalette(palette);
    // Header cells stay empty until the command writes them.
    for (int k = 0; k < kValueCells; ++k) {
        StringGrid1->setHorizontalHeaderItem(k, new QTableWidgetItem(QString()));
        StringGrid1->setVerticalHeaderItem(k, new QTableWidgetItem(QString()));
    }
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    StringGrid1->horizontalHeader()->setFixedHeight(kRowHeight);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGrid1->verticalHeader()->setFixedWidth(kColumnWidth);
    StringGrid1->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // The cells are read-only; they can be selected and copied (Ctrl+C or
    // the context menu).
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* copy = new QAction(QStringLiteral("Copy"), StringGrid1);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &TForm3::copySelection);
    StringGrid1->addAction(copy);
    StringGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TForm3::copySelection() {
    const QString text = selectionText(
        *StringGrid1, [this](int row, int column) { return cellText(column + 1, row + 1); });
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

QString TForm3::cellText(int column, int row) const {
    const QTableWidgetItem* item = nullptr;
    if (column == 0 && row == 0)
        return QString();
    if (row == 0) {
        item = StringGrid1->horizontalHeaderItem(column - 1);
    } else if (column == 0) {
        item = StringGrid1->verticalHeaderItem(row - 1);
    } else {
        item = StringGrid1->item(row - 1, column - 1);
    }
    return item ? item->text() : QString();
}

void TForm3::setCellText(int column, int row, const QString& text) {
    if (row == 0) {
        StringGrid1->horizontalHeaderItem(column - 1)->setText(text);
    } else if (column == 0) {
        StringGrid1->verticalHeaderItem(row - 1)->setText(text);
    } else {
        QTableWidgetItem* item = StringGrid1->item(row - 1, column - 1);
        if (item == nullptr) {
            item = new QTableWidgetItem;
            StringGrid1->setItem(row - 1, column - 1, item);
        }
        item->setText(text);
        // A text wider than its column is clipped; the pointer shows it whole.
        const int margins =
            2 * (StringGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        const bool clipped =
            QFontMetrics(StringGrid1->font()).horizontalAdvance(text) + margins > kColumnWidth;
        item->setToolTip(clipped ? text : QString());
    }
}

void TForm3::showCovariance() {
    const CovarianceBlock block = computeCovarianceBlock();
    for (int k = 1; k <= kValueCells; ++k) {
        setCellText(k, 0, QString::fromStdString(timeConstantLabel(k)));
    }
    for (int k = 1; k <= kValueCells; ++k) {
        setCellText(0, k, QString::fromStdString(timeConstantLabel(k)));
    }
    for (int a = 1; a <= block.size; ++a) {
        for (int b = 1; b <= block.size; ++b) {
            setCellText(a, b, QString::fromStdString(block.cell(a, b)));
        }
    }
    show();
    raise();
}

}  // namespace quorvane
