// Form2, "Parametrs": the text report of every trace's offset and amplitudes.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>

#include "views/parameter_report.h"

namespace quorvane {

class TForm2 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm2(QWidget* parent = nullptr);

    // Tools > Parameters: rebuilds the report from the workspace and shows
    // the window. Throws QuorvaneError on failure.
    void showParameterReport();

    // The one text box. Its font colour is one for the whole text: a colour
    // change recolours every line, as the report's events intend.
    QPlainTextEdit* Memo1;

  private:
    void setMemoColour(ReportColour colour);
};

}  // namespace quorvane
