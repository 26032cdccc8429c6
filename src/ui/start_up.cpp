#include "ui/start_up.h"

#include <QFile>
#include <QStringList>

#include "ui/fit_method_setting.h"
#include "ui/search_setting.h"
#include "ui/unit1.h"
#include "views/data_map_window.h"
#include "views/singular_values_window.h"
#include "ui/view_settings.h"
#include "views/unit2.h"
#include "views/unit3.h"
#include "views/unit4.h"
#include "views/unit5.h"

namespace quorvane {

void createResultWindows(TForm1& form1) {
    auto* form2 = new TForm2(&form1);
    auto* form3 = new TForm3(&form1);
    auto* form4 = new TForm4(&form1);
    auto* form5 = new TForm5(&form1);
    form5->setMainWindow(&form1);
    form1.setResultWindows(form2, form3, form4, form5);
    form1.setMatrixWindows(new DataMapWindow(&form1), new SingularValuesWindow(&form1));
}

void showMainWindow(TForm1& form1, int argc, char** argv) {
    form1.show();
    QStringList traceFiles;
    for (int i = 1; i < argc; ++i)
        traceFiles << QFile::decodeName(argv[i]);
    form1.openTraceFiles(traceFiles);
}

QIcon applicationIcon() {
    return QIcon(QStringLiteral(":/icons/quorvane.png"));
}

void restoreRememberedChoices(TForm1& form1) {
    form1.setFitMethod(rememberedFitMethod());
    form1.Searchlowestminimum1->setChecked(rememberedMinimumSearch());
    form1.setResponse(rememberedResponse());
    form1.setTimeAxis(rememberedTimeAxis(), rememberedSwitchTime());
}

}  // namespace quorvane
