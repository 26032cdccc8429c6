#include "ui/matrix_import_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <limits>

#include "data/error.h"
#include "data/matrix_orientation.h"
#include "data/number_text.h"
#include "data/trace_wavelength.h"

namespace quorvane {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The entries of the grouping box, in its order.
constexpr TraceGrouping kGroupings[] = {TraceGrouping::Automatic, TraceGrouping::All,
                                        TraceGrouping::EveryKth, TraceGrouping::BinWidth,
                                        TraceGrouping::BinCount};

QString numberText(double value) {
    QString text = QString::number(value, 'g', 6);
    return text.replace('.', QChar::fromLatin1(decimalSeparator()));
}

QString plural(std::size_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString formatText(const MatrixFile& file) {
    switch (file.format) {
        case MatrixFormat::GlotaranTimeExplicit:
            return QStringLiteral("Glotaran ascii, Time explicit");
        case MatrixFormat::GlotaranWavelengthExplicit:
            return QStringLiteral("Glotaran ascii, Wavelength explicit");
        case MatrixFormat::Delimited:
            break;
    }
    QString separator;
    switch (file.separator) {
        case '\t':
            separator = QStringLiteral("tab");
            break;
        case ';':
            separator = QStringLiteral("semicolon");
            break;
        case ' ':
            separator = QStringLiteral("blank");
            break;
        default:
            separator = QStringLiteral("comma");
    }
    return QStringLiteral("Delimited, %1 separated, decimal %2")
        .arg(separator, file.decimalComma ? QStringLiteral("comma") : QStringLiteral("point"));
}

// An entry read as a number text of the program; an empty entry is `empty`.
double entryNumber(const QLineEdit& entry, double empty) {
    const QString text = entry.text().trimmed();
    return text.isEmpty() ? empty : textToDouble(text.toStdString());
}

std::optional<ValueRange> entryRange(const QLineEdit& from, const QLineEdit& to) {
    if (from.text().trimmed().isEmpty() && to.text().trimmed().isEmpty())
        return std::nullopt;
    return ValueRange{entryNumber(from, -kInfinity), entryNumber(to, kInfinity)};
}

// "520-540; 600-610": bands FROM-TO separated by semicolons. The dash is
// the first one after a digit, a decimal separator or a blank, so that a
// sign or an exponent's sign stays with its number.
std::vector<ValueRange> bandsOf(const QString& text) {
    std::vector<ValueRange> bands;
    for (const QString& entry : text.split(';', Qt::SkipEmptyParts)) {
        const QString band = entry.trimmed();
        if (band.isEmpty())
            continue;
        qsizetype dash = -1;
        for (qsizetype i = 1; i < band.size() && dash < 0; ++i) {
            const QChar before = band[i - 1];
            if (band[i] == '-' && (before.isDigit() || before == ' ' || before == '.' ||
                                   before == QChar::fromLatin1(decimalSeparator())))
                dash = i;
        }
        if (dash < 0)
            throw QuorvaneError("'" + band.toStdString() + "' is not a band FROM-TO");
        bands.push_back({textToDouble(band.left(dash).trimmed().toStdString()),
                         textToDouble(band.mid(dash + 1).trimmed().toStdString())});
    }
    return bands;
}

QString groupingText(const TracePlan& plan, WavelengthUnit unit, const TraceChoice& choice) {
    const QString columns = plural(plan.columnCount, "wavelength", "wavelengths");
    switch (plan.grouping) {
        case TraceGrouping::EveryKth:
            return QStringLiteral("every k-th of %1, k = %2").arg(columns).arg(choice.every);
        case TraceGrouping::BinWidth:
            return QStringLiteral("%1 averaged in bins %2 %3 wide")
                .arg(columns, numberText(choice.binWidth), QLatin1String(wavelengthUnitText(unit)));
        case TraceGrouping::BinCount: {
            QString text =
                QStringLiteral("%1 averaged into %2 equal bins").arg(columns).arg(plan.binCount);
            const std::size_t empty = static_cast<std::size_t>(plan.binCount) - plan.traces.size();
            if (empty > 0)
                text += QStringLiteral(" (%1 empty)").arg(plural(empty, "bin", "bins"));
            return text;
        }
        case TraceGrouping::All:
        case TraceGrouping::Automatic:
            break;
    }
    return QStringLiteral("one per wavelength");
}

}  // namespace

MatrixImportDialog::MatrixImportDialog(const MatrixFile& file, int room, QWidget* parent)
    : QDialog(parent), file_(file), room_(room) {
    setWindowTitle(QStringLiteral("Import matrix - %1").arg(QString::fromStdString(file.title)));
    createControls();
    showDecision();
    groupingChanged();
}

MatrixImportDialog::~MatrixImportDialog() = default;

void MatrixImportDialog::createControls() {
    auto* form = new QFormLayout;
    fileLabel = new QLabel(QString::fromStdString(file_.title));
    fileLabel->setToolTip(QString::fromStdString(file_.path));
    form->addRow(QStringLiteral("File:"), fileLabel);
    formatLabel = new QLabel(QStringLiteral("%1; %2 x %3")
                                 .arg(formatText(file_))
                                 .arg(plural(file_.rowCount(), "row", "rows"))
                                 .arg(plural(file_.columnCount(), "column", "columns")));
    form->addRow(QStringLiteral("Format:"), formatLabel);

    reasonLabel = new QLabel;
    reasonLabel->setWordWrap(true);
    reasonLabel->setToolTip(QStringLiteral(
        "The rule: an axis with a value <= 0 is time when the other has none; otherwise an "
        "axis lying wholly within 150..3000 nm (300..70000 cm^-1) while the other does not "
        "is the wavelength axis."));
    timesDownButton =
        new QRadioButton(QStringLiteral("Times down the first column, wavelengths across"));
    timesAcrossButton =
        new QRadioButton(QStringLiteral("Times across the first row, wavelengths down"));
    orientationGroup_ = new QButtonGroup(this);
    orientationGroup_->addButton(timesDownButton);
    orientationGroup_->addButton(timesAcrossButton);
    auto* orientation = new QVBoxLayout;
    orientation->addWidget(reasonLabel);
    orientation->addWidget(timesDownButton);
    orientation->addWidget(timesAcrossButton);
    form->addRow(QStringLiteral("Orientation:"), orientation);
    axesLabel = new QLabel;
    form->addRow(QStringLiteral("Axes:"), axesLabel);

    const QString unit = QString::fromLatin1(wavelengthUnitText(file_.unit));
    const auto rangeRow = [](QLineEdit*& from, QLineEdit*& to, const QString& after) {
        from = new QLineEdit;
        to = new QLineEdit;
        auto* row = new QHBoxLayout;
        row->addWidget(from);
        row->addWidget(new QLabel(QStringLiteral("to")));
        row->addWidget(to);
        row->addWidget(new QLabel(after));
        return row;
    };
    form->addRow(QStringLiteral("Wavelengths from:"), rangeRow(wavelengthFrom, wavelengthTo, unit));
    excludedBands = new QLineEdit;
    excludedBands->setPlaceholderText(QStringLiteral("none; for example 520-540; 600-610"));
    form->addRow(QStringLiteral("Exclude bands:"), excludedBands);
    form->addRow(QStringLiteral("Times from:"),
                 rangeRow(timeFrom, timeTo, QStringLiteral("(the file's unit)")));
    for (QLineEdit* end : {wavelengthFrom, wavelengthTo, timeFrom, timeTo})
        end->setPlaceholderText(QStringLiteral("open"));

    groupingBox = new QComboBox;
    groupingBox->addItems({QStringLiteral("Automatic"), QStringLiteral("All wavelengths"),
                           QStringLiteral("Every k-th wavelength"),
                           QStringLiteral("Bins of a width"),
                           QStringLiteral("A number of equal bins")});
    groupingValue = new QLineEdit;
    auto* grouping = new QHBoxLayout;
    grouping->addWidget(groupingBox);
    grouping->addWidget(groupingValue);
    form->addRow(QStringLiteral("Traces:"), grouping);

    planLabel = new QLabel;
    planLabel->setWordWrap(true);
    planLabel->setMinimumHeight(planLabel->fontMetrics().lineSpacing() * 3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    okButton = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(planLabel);
    layout->addWidget(buttons);
    setMinimumWidth(560);

    for (QLineEdit* entry :
         {wavelengthFrom, wavelengthTo, excludedBands, timeFrom, timeTo, groupingValue})
        connect(entry, &QLineEdit::textChanged, this, &MatrixImportDialog::updatePlan);
    connect(orientationGroup_, &QButtonGroup::buttonToggled, this,
            [this](QAbstractButton*, bool checked) {
                if (checked)
                    updatePlan();
            });
    connect(groupingBox, &QComboBox::currentIndexChanged, this,
            &MatrixImportDialog::groupingChanged);
}

void MatrixImportDialog::showDecision() {
    const OrientationDecision decision = decideOrientation(file_);
    const QString reason = QString::fromStdString(decision.reason);
    const bool stated = file_.format != MatrixFormat::Delimited;
    if (decision.decided) {
        (decision.orientation == Orientation::TimesDown ? timesDownButton : timesAcrossButton)
            ->setChecked(true);
        reasonLabel->setText(stated ? QStringLiteral("Stated by the file: %1.").arg(reason)
                                    : QStringLiteral("Decided by the rule: %1.").arg(reason));
    } else {
        reasonLabel->setText(
            QStringLiteral("The rule cannot decide (%1): choose the orientation.").arg(reason));
    }
    timesDownButton->setEnabled(!stated);
    timesAcrossButton->setEnabled(!stated);
}

void MatrixImportDialog::groupingChanged() {
    const TraceGrouping grouping = kGroupings[groupingBox->currentIndex()];
    const bool valued = grouping == TraceGrouping::EveryKth ||
                        grouping == TraceGrouping::BinWidth || grouping == TraceGrouping::BinCount;
    groupingValue->setEnabled(valued);
    const QString unit = QString::fromLatin1(wavelengthUnitText(file_.unit));
    const QSignalBlocker quiet(groupingValue);
    switch (grouping) {
        case TraceGrouping::EveryKth:
            groupingValue->setPlaceholderText(QStringLiteral("k"));
            groupingValue->setText(QStringLiteral("2"));
            break;
        case TraceGrouping::BinWidth:
            groupingValue->setPlaceholderText(QStringLiteral("width in %1").arg(unit));
            groupingValue->setText(QStringLiteral("10"));
            break;
        case TraceGrouping::BinCount:
            groupingValue->setPlaceholderText(QStringLiteral("bins"));
            groupingValue->setText(QString::number(room_));
            break;
        case TraceGrouping::Automatic:
        case TraceGrouping::All:
            groupingValue->setPlaceholderText(QString());
            groupingValue->clear();
            break;
    }
    updatePlan();
}

std::optional<Orientation> MatrixImportDialog::chosenOrientation() const {
    if (timesDownButton->isChecked())
        return Orientation::TimesDown;
    if (timesAcrossButton->isChecked())
        return Orientation::TimesAcross;
    return std::nullopt;
}

const Measurement* MatrixImportDialog::measurementFor(Orientation orientation,
                                                      std::string& problem) {
    const std::size_t slot = orientation == Orientation::TimesDown ? 0 : 1;
    if (!oriented_[slot] && orientationProblems_[slot].empty()) {
        try {
            oriented_[slot] = orientMatrix(file_, orientation);
        } catch (const QuorvaneError& error) {
            orientationProblems_[slot] = error.message();
        }
    }
    problem = orientationProblems_[slot];
    return oriented_[slot] ? &*oriented_[slot] : nullptr;
}

TraceChoice MatrixImportDialog::enteredChoice() const {
    TraceChoice choice;
    choice.wavelengths = entryRange(*wavelengthFrom, *wavelengthTo);
    choice.times = entryRange(*timeFrom, *timeTo);
    choice.excluded = bandsOf(excludedBands->text());
    choice.grouping = kGroupings[groupingBox->currentIndex()];
    const std::string value = groupingValue->text().trimmed().toStdString();
    switch (choice.grouping) {
        case TraceGrouping::EveryKth:
            choice.every = textToInteger(value);
            break;
        case TraceGrouping::BinWidth:
            choice.binWidth = textToDouble(value);
            break;
        case TraceGrouping::BinCount:
            choice.binCount = textToInteger(value);
            break;
        case TraceGrouping::Automatic:
        case TraceGrouping::All:
            break;
    }
    return choice;
}

void MatrixImportDialog::showAxes(const Measurement* measurement) {
    if (measurement == nullptr) {
        axesLabel->clear();
        return;
    }
    const KineticMatrix& matrix = measurement->matrix;
    axesLabel->setText(QStringLiteral("%1, %2 .. %3 %4; %5, %6 .. %7")
                           .arg(plural(matrix.wavelengthCount(), "wavelength", "wavelengths"),
                                numberText(matrix.wavelengths.front()),
                                numberText(matrix.wavelengths.back()),
                                QLatin1String(wavelengthUnitText(measurement->unit)),
                                plural(matrix.timeCount(), "time", "times"),
                                numberText(matrix.times.front()), numberText(matrix.times.back())));
}

void MatrixImportDialog::updatePlan() {
    current_.reset();
    QString text;
    const std::optional<Orientation> orientation = chosenOrientation();
    std::string problem;
    const Measurement* measurement = orientation ? measurementFor(*orientation, problem) : nullptr;
    showAxes(measurement);
    if (!orientation) {
        text = QStringLiteral("Choose the orientation to see what will be loaded.");
    } else if (measurement == nullptr) {
        text = QString::fromStdString(problem);
    } else {
        try {
            const TraceChoice choice = enteredChoice();
            const TracePlan plan = planTraces(*measurement, choice, room_);
            text = QStringLiteral("Loads %1 of %2 each: %3. The workspace has room for %4 more.")
                       .arg(plural(plan.traces.size(), "trace", "traces"),
                            plural(plan.timeCount, "point", "points"),
                            groupingText(plan, measurement->unit, choice))
                       .arg(room_);
            current_ = MatrixImportChoice{*orientation, choice};
        } catch (const QuorvaneError& error) {
            text = QString::fromStdString(error.message());
        }
    }
    planLabel->setText(text);
    planLabel->setStyleSheet(current_ ? QString() : QStringLiteral("color: #b00000"));
    okButton->setEnabled(current_.has_value());
}

QString MatrixImportDialog::planText() const {
    return planLabel->text();
}

}  // namespace quorvane
