// The menu of the main window: File, Edit, View (the exclusive time axes,
// then the switch time), Tools (with the two fit methods after a separator)
// and Help, each item an action named after its designer component and
// connected to its handler.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <span>

#include "ui/unit1.h"
#include "ui/view_settings.h"

namespace quorvane {

namespace {

struct MenuItem {
    QAction* TForm1::*action;
    const char* name;
    const char* caption;
    void (TForm1::*handler)();
};

struct MenuDesign {
    QMenu* TForm1::*menu;
    const char* name;
    const char* caption;
    std::span<const MenuItem> items;
};

constexpr MenuItem kFileItems[] = {
    {&TForm1::Open1, "Open1", "Open", &TForm1::Open1Click},
    {&TForm1::Save1, "Save1", "Save", &TForm1::Save1Click},
    {&TForm1::Saveas1, "Saveas1", "Save as...", &TForm1::Saveas1Click},
    {&TForm1::Export1, "Export1", "Export", &TForm1::Export1Click},
    {&TForm1::Print1, "Print1", "Print...", &TForm1::Print1Click},
    {&TForm1::Exit1, "Exit1", "Exit", &TForm1::Exit1Click},
};
constexpr MenuItem kEditItems[] = {
    {&TForm1::clear1, "clear1", "Clear", &TForm1::clear1Click},
};
constexpr MenuItem kToolsItems[] = {
    {&TForm1::VarCov1, "VarCov1", "Var-Cov Matrix", &TForm1::VarCov1Click},
    {&TForm1::parameters1, "parameters1", "Parameters ", &TForm1::parameters1Click},
    {&TForm1::residualssurface1, "residualssurface1", "Residual's surface",
     &TForm1::residualssurface1Click},
    {&TForm1::Differentialspectra1, "Differentialspectra1", "Differential spectra",
     &TForm1::Differentialspectra1Click},
    {&TForm1::DataMap1, "DataMap1", "Data map", &TForm1::DataMap1Click},
    {&TForm1::Singularvalues1, "Singularvalues1", "Singular values", &TForm1::Singularvalues1Click},
    {&TForm1::Timeconstants1, "Timeconstants1", "Time constants", &TForm1::Timeconstants1Click},
    {&TForm1::Instrumentresponse1, "Instrumentresponse1", "Instrument response...",
     &TForm1::Instrumentresponse1Click},
    {&TForm1::Searchlowestminimum1, "Searchlowestminimum1", "Search for the lowest minimum",
     &TForm1::Searchlowestminimum1Click},
};
// After the time axes.
constexpr MenuItem kViewItems[] = {
    {&TForm1::Switchtime1, "Switchtime1", "Linear-logarithmic switch time...",
     &TForm1::Switchtime1Click},
};
constexpr MenuItem kHelpItems[] = {
    {&TForm1::About1, "About1", "About Quorvane", &TForm1::About1Click},
};

// In the order of the menu bar; the Edit menu keeps its designer name Run1.
constexpr MenuDesign kMenus[] = {
    {&TForm1::File1, "File1", "File", kFileItems},
    {&TForm1::Run1, "Run1", "Edit", kEditItems},
    {&TForm1::View1, "View1", "View", kViewItems},
    {&TForm1::Tools1, "Tools1", "Tools", kToolsItems},
    {&TForm1::help1, "help1", "Help", kHelpItems},
};

struct FitMethodItem {
    QAction* TForm1::*action;
    const char* name;
    const char* caption;
    FitMethod method;
};

constexpr FitMethodItem kFitMethodItems[] = {
    {&TForm1::ClassicLevenbergMarquardt1, "ClassicLevenbergMarquardt1",
     "Classic Levenberg-Marquardt", FitMethod::Classic},
    {&TForm1::Variableprojection1, "Variableprojection1", "Variable projection",
     FitMethod::VariableProjection},
};

}  // namespace

void TForm1::createActions() {
    for (const MenuDesign& menu : kMenus) {
        for (const MenuItem& item : menu.items) {
            auto* action = new QAction(QString::fromLatin1(item.caption), this);
            action->setObjectName(QString::fromLatin1(item.name));
            connect(action, &QAction::triggered, this, item.handler);
            this->*item.action = action;
        }
    }
    Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Searchlowestminimum1->setCheckable(true);
    Searchlowestminimum1->setToolTip(QStringLiteral(
        "Start fits by variable projection from the typed time constants and from further "
        "starts spread over the data's times, and keeps the lowest minimum, whichever method "
        "is checked"));

    // Exclusive and checkable; a choice the user makes is remembered.
    fitMethodGroup = new QActionGroup(this);
    fitMethodGroup->setExclusive(true);
    for (const FitMethodItem& item : kFitMethodItems) {
        auto* action = new QAction(QString::fromLatin1(item.caption), fitMethodGroup);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        const FitMethod method = item.method;
        connect(action, &QAction::triggered, this, [this, method] {
            // Chosen while the response is on: kept when it goes off.
            methodBeforeResponse_ = method;
            if (interaction_.rememberFitMethod)
                interaction_.rememberFitMethod(method);
        });
        this->*item.action = action;
    }
    ClassicLevenbergMarquardt1->setChecked(true);

    // Exclusive and checkable; a choice is remembered with the switch time.
    timeAxisGroup = new QActionGroup(this);
    timeAxisGroup->setExclusive(true);
    for (const TimeAxisChoice& choice : kTimeAxisChoices) {
        auto* action = new QAction(QString::fromLatin1(choice.caption), timeAxisGroup);
        action->setObjectName(QString::fromLatin1(choice.name));
        action->setCheckable(true);
        const TimeAxis axis = choice.axis;
        connect(action, &QAction::triggered, this, [this, axis] {
            setTimeAxis(axis, typedSwitchTime_);
            rememberTimeAxis(axis, typedSwitchTime_);
        });
    }
    timeAxisGroup->actions().constFirst()->setChecked(true);
}

void TForm1::createMenus() {
    for (const MenuDesign& design : kMenus) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(design.caption));
        menu->setObjectName(QString::fromLatin1(design.name));
        for (const MenuItem& item : design.items)
            menu->addAction(this->*item.action);
        this->*design.menu = menu;
    }
    Tools1->addSeparator();
    for (const FitMethodItem& item : kFitMethodItems)
        Tools1->addAction(this->*item.action);
    // The greyed-out classic method says why.
    Tools1->setToolTipsVisible(true);
    QAction* afterAxes = View1->insertSeparator(View1->actions().constFirst());
    View1->insertActions(afterAxes, timeAxisGroup->actions());
}

FitMethod TForm1::fitMethod() const {
    return response_.enabled || Variableprojection1->isChecked() ? FitMethod::VariableProjection
                                                                 : FitMethod::Classic;
}

void TForm1::setFitMethod(FitMethod method) {
    (method == FitMethod::VariableProjection ? Variableprojection1 : ClassicLevenbergMarquardt1)
        ->setChecked(true);
}

}  // namespace quorvane
