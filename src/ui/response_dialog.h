// Tools > "Instrument response...": the dialog of the Gaussian instrument
// response's boxes (fit/response_boxes.h). It shows the boxes it is given
// and hands back what the user set; the numbers stay texts, which Start
// parses and refuses with the box a bad one came from. The widths, the
// centre and the dispersion coefficients are in the units of the traces'
// times, the reference wavelength in nm (empty: the mean wavelength of the
// loaded traces). The dispersion order is chosen from 0..4 (an order read
// that is none of these shows as 0). The coefficients past the dispersion order, and every box
// while the response is off, are greyed out but keep their texts.
#pragma once

#include <QDialog>
#include <array>

#include "fit/response_boxes.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace quorvane {

class ResponseDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ResponseDialog(const ResponseBoxes& boxes, QWidget* parent = nullptr);

    ResponseBoxes boxes() const;

  private:
    void updateEnabled();

    QCheckBox* enabled_;
    QLineEdit* fwhm_;
    QCheckBox* fitFwhm_;
    QLineEdit* centre_;
    QCheckBox* fitCentre_;
    QSpinBox* order_;
    std::array<QLineEdit*, kMaxDispersionOrder> dispersion_{};
    std::array<QCheckBox*, kMaxDispersionOrder> fitDispersion_{};
    QLineEdit* referenceWavelength_;
    QCheckBox* step_;
};

}  // namespace quorvane
