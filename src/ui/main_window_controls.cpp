// The controls of the main window: the client area, the chart and its
// design, the progress bar, the two labels of the top row, the eleven boxes
// Start reads with the labels t1..t9, and the Start button. The boxes are
// laid out from one table, in the order of StartBoxes, and start with its
// texts: the window and the batch command share one set of defaults.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <cstddef>

#include "chart/axis_label_format.h"
#include "chart/chart.h"
#include "fit/fit_driver.h"
#include "ui/box_font.h"
#include "ui/time_axis.h"
#include "ui/unit1.h"

namespace quorvane {

namespace {

// Character height of the edit boxes' text when it fits at that size.
constexpr int kBoxPixelSize = 11;
// The column of boxes, labels and the Start button.
constexpr int kColumnLeft = 888;
constexpr int kBoxHeight = 21;

// One box Start reads, with the label above it (the two count boxes have
// none).
struct BoxDesign {
    QLineEdit* TForm1::*box;
    const char* boxName;
    int top;
    int width;
    QLabel* TForm1::*label;
    const char* labelName;
    const char* caption;
    int labelTop;
};

// In the order of StartBoxes: the component count, the iteration count, t1..t9.
constexpr std::array<BoxDesign, 11> kBoxDesigns = {{
    {&TForm1::Edit10, "Edit10", 8, 97, nullptr, nullptr, nullptr, 0},
    {&TForm1::Edit2, "Edit2", 40, 97, nullptr, nullptr, nullptr, 0},
    {&TForm1::Edit4, "Edit4", 96, 65, &TForm1::Label5, "Label5", "t1", 72},
    {&TForm1::Edit5, "Edit5", 152, 65, &TForm1::Label6, "Label6", "t2", 128},
    {&TForm1::Edit6, "Edit6", 208, 65, &TForm1::Label7, "Label7", "t3", 184},
    {&TForm1::Edit7, "Edit7", 264, 65, &TForm1::Label8, "Label8", "t4", 240},
    {&TForm1::Edit8, "Edit8", 320, 65, &TForm1::Label9, "Label9", "t5", 296},
    {&TForm1::Edit9, "Edit9", 376, 65, &TForm1::Label10, "Label10", "t6", 352},
    {&TForm1::Edit11, "Edit11", 432, 65, &TForm1::label12, "label12", "t7", 408},
    {&TForm1::Edit12, "Edit12", 480, 65, &TForm1::Label13, "Label13", "t8", 456},
    {&TForm1::Edit13, "Edit13", 528, 65, &TForm1::Label14, "Label14", "t9", 504},
}};
// The rows of t1..t9.
constexpr std::size_t kFirstTimeConstantRow = 2;

// The text of row `row` of kBoxDesigns in `boxes`.
std::string& boxText(StartBoxes& boxes, std::size_t row) {
    if (row == 0)
        return boxes.componentCount;
    if (row == 1)
        return boxes.iterationCount;
    return boxes.timeConstants[row - kFirstTimeConstantRow];
}

// "Arial Black" where the machine has it; otherwise the heaviest weight of a
// plain sans-serif face stands in for it.
QFont arialBlack(int pixelHeight) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
    font.setPixelSize(pixelHeight);
    font.setWeight(QFont::Black);
    return font;
}

// The colour of an enabled control's text; a disabled one keeps the style's
// grey, so that a disabled Start looks disabled.
void setTextColour(QWidget* widget, QColor colour) {
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colour);
        palette.setColor(group, QPalette::ButtonText, colour);
    }
    widget->setPalette(palette);
}

QLineEdit* makeBox(QWidget* client, const BoxDesign& design, const std::string& text) {
    auto* box = new QLineEdit(client);
    box->setObjectName(QString::fromLatin1(design.boxName));
    box->setGeometry(kColumnLeft, design.top, design.width, kBoxHeight);
    // A compact face, so that a written-back "1.23457E-5" fits the 65-pixel
    // boxes at full size; longer texts get a smaller size.
    QFont font = box->font();
    font.setStretch(QFont::SemiCondensed);
    box->setFont(font);
    box->setTextMargins(0, 0, 0, 0);
    box->setText(QString::fromStdString(text));
    keepWholeTextVisible(*box, kBoxPixelSize);
    return box;
}

// A t label, in the window font.
QLabel* makeLabel(QWidget* client, const BoxDesign& design, const QFont& windowFont) {
    auto* label = new QLabel(QString::fromLatin1(design.caption), client);
    label->setObjectName(QString::fromLatin1(design.labelName));
    label->setFont(windowFont);
    setTextColour(label, Qt::red);
    label->move(kColumnLeft, design.labelTop);
    label->adjustSize();
    return label;
}

}  // namespace

void TForm1::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(0, 0);
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    // The system colour of an active window border.
    palette.setColor(QPalette::Window, QColor(180, 180, 180));
    client->setPalette(palette);
    setCentralWidget(client);

    Chart1 = new Chart(client);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setGeometry(8, 24, 857, 633);

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, 680, 857, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Label1 = new QLabel(client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(arialBlack(13));
    setTextColour(Label1, Qt::black);
    Label1->move(48, 0);
    Label1->adjustSize();

    VerdictLabel = new QLabel(client);
    VerdictLabel->setObjectName(QStringLiteral("VerdictLabel"));
    // Two lines of a small face fit between the menu and the chart.
    QFont verdictFont = VerdictLabel->font();
    verdictFont.setPixelSize(10);
    VerdictLabel->setFont(verdictFont);
    VerdictLabel->setWordWrap(true);
    VerdictLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Each label is created before its box, so that the focus runs down the
    // boxes from Edit10.
    StartBoxes defaults;
    const QFont windowFont = arialBlack(19);
    for (std::size_t row = 0; row < kBoxDesigns.size(); ++row) {
        const BoxDesign& design = kBoxDesigns[row];
        if (design.label != nullptr)
            this->*design.label = makeLabel(client, design, windowFont);
        this->*design.box = makeBox(client, design, boxText(defaults, row));
    }

    Button1 = new QPushButton(QStringLiteral("Start"), client);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(kColumnLeft, 624, 75, 25);
    Button1->setFont(arialBlack(13));
    setTextColour(Button1, QColor(0, 0, 128));
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
}

StartBoxes TForm1::startBoxTexts() const {
    StartBoxes boxes;
    for (std::size_t row = 0; row < kBoxDesigns.size(); ++row)
        boxText(boxes, row) = (this->*kBoxDesigns[row].box)->text().toStdString();
    boxes.response = response_;
    return boxes;
}

std::vector<QLineEdit*> TForm1::timeConstantBoxes() const {
    std::vector<QLineEdit*> boxes;
    for (std::size_t row = kFirstTimeConstantRow; row < kBoxDesigns.size(); ++row)
        boxes.push_back(this->*kBoxDesigns[row].box);
    return boxes;
}

void TForm1::showVerdict(const QString& message) {
    // From Label1's right end (plus a gap) to the column of boxes, above the
    // chart at 24.
    const int left = Label1->x() + Label1->width() + 16;
    VerdictLabel->setToolTip(message);
    VerdictLabel->setText(message);
    VerdictLabel->setGeometry(left, 0, std::max(0, kColumnLeft - 8 - left), 24);
}

void TForm1::designChart() {
    const QColor blue(0, 0, 255);
    Chart1->setBackgroundColour(Qt::white);
    Chart1->setBorderVisible(true);
    Chart1->setTitle(QStringLiteral("TChart"));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(11);
    Chart1->setTitleFont(titleFont, blue);

    Chart1->setAxisDesign(AxisPosition::Bottom, designedTimeAxis());

    AxisDesign signal;
    signal.automatic = false;
    signal.minimum = -0.12;
    signal.maximum = 0.1;
    signal.labelText = [](double value, double) {
        return QString::fromStdString(formatGroupedDecimalLabel(value));
    };
    signal.tickColour = blue;
    signal.tickLengthOutside = 9;
    signal.tickLengthInside = 5;
    signal.minorTickCount = 0;
    signal.labelCountHint = 12;
    Chart1->setAxisDesign(AxisPosition::Left, signal);

    Chart1->setLegendVisible(true);
    Chart1->setZoomAnimationSteps(50);
}

}  // namespace quorvane
