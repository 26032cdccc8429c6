#include "ui/main_window_dialogs.h"

#include <QCollator>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <algorithm>

#include "chart/chart.h"
#include "data/trace_choice.h"
#include "ui/fit_method_setting.h"
#include "ui/search_setting.h"
#include "ui/matrix_import_dialog.h"
#include "ui/response_dialog.h"

namespace quorvane {

namespace {

// The files selected, in the order of their names as a file manager lists
// them (numbers by value), whatever order the selection was made in.
QStringList chooseTraceFilesInDialog(TForm1& owner) {
    QFileDialog dialog(&owner, QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // The patterns are hidden behind the captions: "Data files (...)" lists
    // trace and matrix files, "TXT File (*.TXT)" the files that end in
    // ".txt". What a file holds is read from its content, whatever its name.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters({QStringLiteral("Data files (*.txt *.csv *.tsv *.dat *.ascii) "
                                          "(*.txt *.csv *.tsv *.dat *.ascii)"),
                           QStringLiteral("TXT File (*.TXT) (*.txt)"),
                           QStringLiteral("All files (*) (*)")});
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList files = dialog.selectedFiles();
    QCollator byName;
    byName.setNumericMode(true);
    std::stable_sort(files.begin(), files.end(), [&byName](const QString& a, const QString& b) {
        return byName.compare(QFileInfo(a).fileName(), QFileInfo(b).fileName()) < 0;
    });
    return files;
}

std::optional<MatrixImportChoice> chooseMatrixTracesInDialog(TForm1& owner,
                                                             const MatrixFile& file) {
    MatrixImportDialog dialog(file, roomInWorkspace(), &owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

QString chooseResultsFileInDialog(TForm1& owner) {
    QFileDialog dialog(&owner, QStringLiteral("Save as"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Text File (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void showErrorBox(TForm1& owner, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, text, QMessageBox::Ok, &owner);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}

bool editResponseInDialog(TForm1& owner, ResponseBoxes& boxes) {
    ResponseDialog dialog(boxes, &owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    boxes = dialog.boxes();
    return true;
}

std::optional<QString> chooseSwitchTimeInDialog(TForm1& owner, const QString& typed,
                                                double automatic) {
    bool confirmed = false;
    const QString text = QInputDialog::getText(
        &owner, QStringLiteral("Switch time"),
        QStringLiteral("The linear-logarithmic time axis is linear up to this time.\n"
                       "Empty: the centre of the instrument response + 5 FWHM (now %1).")
            .arg(automatic),
        QLineEdit::Normal, typed, &confirmed);
    if (!confirmed)
        return std::nullopt;
    return text;
}

}  // namespace

TForm1::UserInteraction dialogUserInteraction() {
    TForm1::UserInteraction interaction;
    interaction.chooseTraceFiles = chooseTraceFilesInDialog;
    interaction.chooseMatrixTraces = chooseMatrixTracesInDialog;
    interaction.chooseExportFile = [](TForm1& owner) { return chooseExportFileInDialog(&owner); };
    interaction.chooseResultsFile = chooseResultsFileInDialog;
    interaction.showError = showErrorBox;
    interaction.showPrintPreview = [](TForm1& owner) { owner.Chart1->printPreview(&owner); };
    interaction.showAbout = [](TForm1& owner, const QString& text) {
        QMessageBox::about(&owner, QStringLiteral("About Quorvane"), text);
    };
    interaction.terminate = [] { QCoreApplication::quit(); };
    interaction.rememberFitMethod = rememberFitMethod;
    interaction.rememberMinimumSearch = rememberMinimumSearch;
    interaction.editResponse = editResponseInDialog;
    interaction.chooseSwitchTime = chooseSwitchTimeInDialog;
    return interaction;
}

}  // namespace quorvane
