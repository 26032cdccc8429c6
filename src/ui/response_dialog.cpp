#include "ui/response_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstddef>
#include <optional>

#include "data/number_text.h"

namespace quorvane {

namespace {

// Room around a box's text, in pixels.
constexpr int kBoxMargin = 24;

QLineEdit* numberBox(const char* name, const std::string& text, QWidget* parent) {
    auto* box = new QLineEdit(QString::fromStdString(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QCheckBox* fitBox(const QString& name, bool checked, QWidget* parent) {
    auto* box = new QCheckBox(QStringLiteral("fit"), parent);
    box->setObjectName(name);
    box->setChecked(checked);
    return box;
}

}  // namespace

ResponseDialog::ResponseDialog(const ResponseBoxes& boxes, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ResponseDialog"));
    setWindowTitle(QStringLiteral("Instrument response"));

    enabled_ = new QCheckBox(QStringLiteral("Convolve with a Gaussian instrument response"), this);
    enabled_->setObjectName(QStringLiteral("responseEnabled"));
    enabled_->setChecked(boxes.enabled);

    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* field, QWidget* fit) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(field, row, 1);
        if (fit != nullptr)
            grid->addWidget(fit, row, 2);
        ++row;
    };
    fwhm_ = numberBox("fwhm", boxes.fwhm, this);
    fitFwhm_ = fitBox(QStringLiteral("fitFwhm"), boxes.fitFwhm, this);
    addRow(QStringLiteral("FWHM"), fwhm_, fitFwhm_);
    centre_ = numberBox("centre", boxes.centre, this);
    fitCentre_ = fitBox(QStringLiteral("fitCentre"), boxes.fitCentre, this);
    addRow(QStringLiteral("Centre (time zero)"), centre_, fitCentre_);

    order_ = new QSpinBox(this);
    order_->setObjectName(QStringLiteral("dispersionOrder"));
    order_->setRange(0, kMaxDispersionOrder);
    const std::optional<std::int32_t> order = parseInteger(boxes.dispersionOrder);
    if (order && *order >= 0 && *order <= kMaxDispersionOrder)
        order_->setValue(*order);
    addRow(QStringLiteral("Dispersion order"), order_, nullptr);
    for (std::size_t i = 0; i < dispersion_.size(); ++i) {
        const QString number = QString::number(i + 1);
        dispersion_[i] = new QLineEdit(QString::fromStdString(boxes.dispersion[i]), this);
        dispersion_[i]->setObjectName(QStringLiteral("dispersion") + number);
        fitDispersion_[i] =
            fitBox(QStringLiteral("fitDispersion") + number, boxes.fitDispersion[i], this);
        addRow(QStringLiteral("c") + number, dispersion_[i], fitDispersion_[i]);
    }
    referenceWavelength_ = numberBox("referenceWavelength", boxes.referenceWavelength, this);
    referenceWavelength_->setPlaceholderText(QStringLiteral("mean of the loaded traces"));
    // The column of boxes is wide enough for the placeholder.
    grid->setColumnMinimumWidth(1, referenceWavelength_->fontMetrics().horizontalAdvance(
                                       referenceWavelength_->placeholderText()) +
                                       kBoxMargin);
    addRow(QStringLiteral("Reference wavelength (nm)"), referenceWavelength_, nullptr);

    step_ =
        new QCheckBox(QStringLiteral("Step component (rises with the response, no decay)"), this);
    step_->setObjectName(QStringLiteral("step"));
    step_->setChecked(boxes.step);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabled_);
    layout->addLayout(grid);
    layout->addWidget(step_);
    layout->addWidget(buttons);

    connect(enabled_, &QCheckBox::toggled, this, &ResponseDialog::updateEnabled);
    connect(order_, &QSpinBox::valueChanged, this, &ResponseDialog::updateEnabled);
    updateEnabled();
}

void ResponseDialog::updateEnabled() {
    const bool on = enabled_->isChecked();
    for (QWidget* field : std::initializer_list<QWidget*>{fwhm_, fitFwhm_, centre_, fitCentre_,
                                                          order_, referenceWavelength_, step_})
        field->setEnabled(on);
    for (std::size_t i = 0; i < dispersion_.size(); ++i) {
        const bool used = on && static_cast<int>(i) < order_->value();
        dispersion_[i]->setEnabled(used);
        fitDispersion_[i]->setEnabled(used);
    }
}

ResponseBoxes ResponseDialog::boxes() const {
    ResponseBoxes boxes;
    boxes.enabled = enabled_->isChecked();
    boxes.fwhm = fwhm_->text().toStdString();
    boxes.fitFwhm = fitFwhm_->isChecked();
    boxes.centre = centre_->text().toStdString();
    boxes.fitCentre = fitCentre_->isChecked();
    boxes.dispersionOrder = std::to_string(order_->value());
    for (std::size_t i = 0; i < dispersion_.size(); ++i) {
        boxes.dispersion[i] = dispersion_[i]->text().toStdString();
        boxes.fitDispersion[i] = fitDispersion_[i]->isChecked();
    }
    boxes.referenceWavelength = referenceWavelength_->text().toStdString();
    boxes.step = step_->isChecked();
    return boxes;
}

}  // namespace quorvane
