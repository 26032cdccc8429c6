#include "views/unit2.h"

#include "views/response_report.h"
#include "views/view_style.h"

namespace quorvane {

TForm2::TForm2(QWidget* parent) : QWidget(parent, fixedWindowFlags()) {
    designFixedWindow(*this, QStringLiteral("Parametrs"), {373, 350}, {297, 159});
    setFont(msSansSerif(11));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(0, 0, 373, 350);
    Memo1->setFont(msSansSerif(19));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Light));
    palette.setColor(QPalette::Text, palette.color(QPalette::WindowText));
    Memo1->setPalette(palette);
    Memo1->setPlainText(QStringLiteral("Memo1"));
}

void TForm2::setMemoColour(ReportColour colour) {
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Text, colour == ReportColour::Blue ? QColor(0, 0, 255) : Qt::black);
    Memo1->setPalette(palette);
}

void TForm2::showParameterReport() {
    const std::vector<ReportItem> items = buildParameterReport();
    Memo1->clear();
    for (const ReportItem& item : items) {
        if (item.kind == ReportItem::Kind::Line) {
            Memo1->appendPlainText(QString::fromStdString(item.text));
        } else {
            setMemoColour(item.colour);
        }
    }
    // With the instrument response on, its fitted parameters follow the
    // amplitudes, as they follow the spectra in the saved report.
    const std::string response = responseSection();
    std::size_t lineStart = 0;
    while (lineStart < response.size()) {
        const std::size_t lineEnd = response.find('\n', lineStart);
        Memo1->appendPlainText(
            QString::fromStdString(response.substr(lineStart, lineEnd - lineStart)));
        lineStart = lineEnd == std::string::npos ? response.size() : lineEnd + 1;
    }
    // Appending leaves the view at the last line; the report reads from its
    // first.
    Memo1->moveCursor(QTextCursor::Start);
    Memo1->ensureCursorVisible();
    show();
    raise();
}

}  // namespace quorvane
