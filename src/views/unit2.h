// Form2, "Parametrs": the text report of every trace's offset and amplitudes.
#pragma once

#include <QWidget>

namespace quorvane {

class TForm2 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm2(QWidget* parent = nullptr);

    // Tools > Parameters: rebuilds the report from the workspace and shows
    // the window. Throws QuorvaneError on failure.
    void showParameterReport();
};

}  // namespace quorvane
