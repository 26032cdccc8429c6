// The import dialog of a matrix file: what the file is, which of its axes is
// time, and which traces it gives the workspace.
//
// It shows the file, its format and size, and the orientation the stated
// rule decided and why (data/matrix_orientation.h), with a choice to
// override it: times down the first column or times across the first row.
// When the rule cannot decide, neither is chosen and OK stays greyed until
// the user chooses. A Glotaran file states its orientation; the choice is
// then shown but cannot be changed.
//
// The choice of traces (data/trace_choice.h): a wavelength range, bands to
// exclude ("520-540; 600-610": FROM-TO, several separated by semicolons), a
// time window (an empty end leaves a range open on that side), and how the
// wavelengths become traces: automatic (the default: all when they fit the
// room left in the workspace, otherwise as many equal bins as there is room
// for), all, every k-th, bins of a width, or a number of equal bins.
//
// As the user types, the dialog shows how many traces and points the choice
// loads, or, with OK greyed, why it cannot be loaded (a refusal of the plan,
// an entry that is no number, the axis checks of the orientation chosen).
// Nothing is loaded here: the caller loads what choice() answers.
#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>

#include "data/matrix_file.h"
#include "ui/matrix_import_choice.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorvane {

class MatrixImportDialog : public QDialog {
    Q_OBJECT

  public:
    // `file` must outlive the dialog; `room` is the number of traces the
    // workspace can still take.
    MatrixImportDialog(const MatrixFile& file, int room, QWidget* parent = nullptr);
    ~MatrixImportDialog() override;

    // The orientation and choice as entered, when they make a plan (OK is
    // enabled); no value otherwise.
    std::optional<MatrixImportChoice> choice() const { return current_; }
    // What the dialog says about the plan or its refusal.
    QString planText() const;
    bool acceptable() const { return current_.has_value(); }

    // The entries, in the order of the dialog.
    QLabel* fileLabel;
    QLabel* formatLabel;
    QLabel* reasonLabel;
    QRadioButton* timesDownButton;
    QRadioButton* timesAcrossButton;
    QLabel* axesLabel;
    QLineEdit* wavelengthFrom;
    QLineEdit* wavelengthTo;
    QLineEdit* excludedBands;
    QLineEdit* timeFrom;
    QLineEdit* timeTo;
    QComboBox* groupingBox;  // Automatic, all, every k-th, bin width, bin count
    QLineEdit* groupingValue;
    QLabel* planLabel;
    QPushButton* okButton;

  private:
    void createControls();
    void showDecision();
    void groupingChanged();
    void updatePlan();
    std::optional<Orientation> chosenOrientation() const;
    // The file read in `orientation` (oriented once, then kept), or null
    // with the refusal in `problem`.
    const Measurement* measurementFor(Orientation orientation, std::string& problem);
    TraceChoice enteredChoice() const;
    void showAxes(const Measurement* measurement);

    const MatrixFile& file_;
    const int room_;
    QButtonGroup* orientationGroup_;
    std::array<std::optional<Measurement>, 2> oriented_;
    std::array<std::string, 2> orientationProblems_;
    std::optional<MatrixImportChoice> current_;
};

}  // namespace quorvane
