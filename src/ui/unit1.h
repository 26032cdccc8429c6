// Form1, the main window: the main chart, the fit's input boxes, the Start
// button, the menu, and the commands Open, Save, Save as..., Start, Clear,
// Exit, Print, Export, the Tools commands that show the result windows and
// Help > About Quorvane. Trace files also come in from the program's command
// line and by drag and drop onto the window, each list opened as by one Open
// of several files. A matrix file (data/matrix_file.h, recognised from its
// content) opens through its import dialog (matrix_import_dialog.h) and gives
// the traces the user chose, each titled with its wavelength ("452.5 nm").
// Tools > Data map and Tools > Singular values show the loaded measurement
// in windows of their own.
//
// The class is defined in several files, one job each: main_window_controls
// (the boxes, labels, Start button and the chart's design), main_window_menus
// (the actions and menus), main_window_files (the File commands and drops),
// unit1 (the fit, Clear, Exit, the Tools commands and the one error path);
// the real dialogs are in main_window_dialogs and the remembered fit method in
// fit_method_setting.
//
// Every command runs through one error path: a QuorvaneError (or any other
// exception) ends the command where it happens and is shown in one modal
// error box captioned with the application title; the program goes on.
//
// While a fit runs (Start lets pending events run once per iteration, and
// startInProgress() is true), the commands that would change the workspace
// under the running loop - Start, Open (and drops), Clear and Var-Cov Matrix
// - and Save and Save as..., which would save a fit half done, are disabled
// and come back when the fit ends or fails. Exit, or closing the window,
// during a fit ends the program once that fit has finished; meanwhile the
// caption says so.
//
// The Tools menu ends, after a separator, with the two exclusive fit methods
// "Classic Levenberg-Marquardt" (checked at first) and "Variable
// projection"; a choice the user makes is remembered (fit_method_setting.h)
// and restored at the next start-up. After every completed Start the verdict
// on the fit is shown on the row of Label1, to its right (Label1 keeps its
// designed text).
//
// The View menu chooses the main chart's time axis (time_axis.h) and types
// the switch time of the linear-logarithmic one; Tools > "Instrument
// response..." edits the response's boxes that Start reads (response_dialog.h).
// Both are remembered (view_settings.h). With the response on, Start fits by
// variable projection: the classic method is greyed out and says why, and
// the method the user had checked comes back when the response goes off.
// The time-axis choice and the switch time are window-side choices: the
// residual surface follows them with a logarithmic axis over the data's
// positive times (its 3-D chart has no other scale), the spectra, plotted
// against the wavelength, do not. The species' concentrations that the
// spectra window asks for (views/unit5.h) stand after every other series
// against the chart's right axis, drawn again when the time axis changes
// and removed by Start and Clear (concentration_curves.cpp). Save and Save
// as... add NAME-eas.csv when the evolution-associated spectra can be formed.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fit/fit_method.h"
#include "fit/response_boxes.h"
#include "ui/chart_export.h"
#include "ui/matrix_import_choice.h"
#include "ui/time_axis.h"
#include "views/main_window_link.h"
#include "views/result_files.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

namespace quorvane {

class Chart;
class ChartSeries;
class DataMapWindow;
class SingularValuesWindow;
class TimeConstantsWindow;
struct MatrixFile;
struct StartBoxes;
struct StartHooks;
class TForm2;
class TForm3;
class TForm4;
class TForm5;

// The application title: caption of every error box (a name and two blanks).
inline const QString kApplicationTitle = QStringLiteral("Quorvane  ");

class TForm1 : public QMainWindow, public MainWindowLink {
    Q_OBJECT

  public:
    // How the window talks to the user outside itself. A window starts with
    // the real modal dialogs (main_window_dialogs.h); tests replace them so
    // that nothing blocks.
    struct UserInteraction {
        // The trace files chosen in the Open dialog, in the order to open
        // them; empty when the user cancelled.
        std::function<QStringList(TForm1& owner)> chooseTraceFiles;
        // The import dialog of a matrix file: the orientation and the
        // traces chosen; no value when the user cancelled.
        std::function<std::optional<MatrixImportChoice>(TForm1& owner, const MatrixFile& file)>
            chooseMatrixTraces;
        // The Export dialog's name and filter; an empty name when cancelled.
        std::function<ExportChoice(TForm1& owner)> chooseExportFile;
        // The name chosen in the Save as... dialog; empty when cancelled.
        std::function<QString(TForm1& owner)> chooseResultsFile;
        // The modal error box: message as shown, detail (may be empty).
        std::function<void(TForm1& owner, const QString& text, const QString& detail)> showError;
        std::function<void(TForm1& owner)> showPrintPreview;
        // Help > About Quorvane: the box's text.
        std::function<void(TForm1& owner, const QString& text)> showAbout;
        // Ends the program.
        std::function<void()> terminate;
        // Stores the fit method the user chose in the Tools menu.
        std::function<void(FitMethod method)> rememberFitMethod;
        // Stores whether Start searches for the lowest minimum.
        std::function<void(bool on)> rememberMinimumSearch;
        // The instrument-response dialog on `boxes`: true, with `boxes` as
        // the user left them, when confirmed.
        std::function<bool(TForm1& owner, ResponseBoxes& boxes)> editResponse;
        // The switch-time box, showing `typed` (empty: automatic, which now
        // is `automatic`); no value when cancelled.
        std::function<std::optional<QString>(TForm1& owner, const QString& typed, double automatic)>
            chooseSwitchTime;
    };

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The result windows that the Tools commands fill and show.
    void setResultWindows(TForm2* form2, TForm3* form3, TForm4* form4, TForm5* form5);
    TForm2* form2() const { return form2_; }
    TForm3* form3() const { return form3_; }
    TForm4* form4() const { return form4_; }
    TForm5* form5() const { return form5_; }
    // The windows of Tools > Data map and Tools > Singular values; the data
    // map's Export button exports its map as File > Export does the chart.
    void setMatrixWindows(DataMapWindow* dataMap, SingularValuesWindow* singularValues);
    DataMapWindow* dataMapWindow() const { return dataMapWindow_; }
    SingularValuesWindow* singularValuesWindow() const { return singularValuesWindow_; }

    UserInteraction& userInteraction() { return interaction_; }

    // MainWindowLink: the title of curve `curve`'s data series.
    std::string dataSeriesTitle(int curve) const override;
    // MainWindowLink: the concentration profiles (concentration_curves.cpp).
    std::vector<double> timeAxisSamples(int count) const override;
    void showConcentrations(const std::vector<ConcentrationCurve>& curves) override;
    void runWindowCommand(const std::function<void()>& command) override;

    // Loads the trace at `path` into the next curve slot and plots it; a
    // matrix file instead gives the traces chosen in its import dialog, in
    // the next curve slots, each plotted and titled with its wavelength
    // (data/trace_wavelength.h). On any error neither the workspace nor the
    // chart changes. False when the user cancelled the import dialog
    // (nothing changed). Throws QuorvaneError.
    bool openTraceFile(const QString& path);
    // Opens `paths` in order, each as by openTraceFile. The first file that
    // fails stops the rest: the error box shows its message, with the file
    // and the number of files left unopened as detail; the files before it
    // stay loaded. A cancelled import dialog stops the rest the same way;
    // the box then says so (and is not shown when no file was left).
    void openTraceFiles(const QStringList& paths);
    // The name File > Save writes to: the last one chosen in Save as...
    // that was saved; empty before.
    const QString& resultsFile() const { return resultsFile_; }

    // The method the Tools menu has checked, and checking one (without
    // remembering it).
    FitMethod fitMethod() const;
    void setFitMethod(FitMethod method);

    // The main chart's time axis and the typed switch time (empty: the
    // automatic one), and choosing them (without remembering them).
    TimeAxis timeAxis() const { return timeAxis_; }
    const QString& typedSwitchTime() const { return typedSwitchTime_; }
    void setTimeAxis(TimeAxis axis, const QString& typedSwitchTime);
    // The switch time the linear-logarithmic axis uses now.
    double switchTime() const;

    // The instrument response's boxes that Start reads, and setting them
    // (without remembering them; greys the classic method out while on).
    const ResponseBoxes& response() const { return response_; }
    void setResponse(const ResponseBoxes& response);

    // Designer components.
    Chart* Chart1;
    QProgressBar* ProgressBar1;
    QLabel* Label1;
    // The verdict on the last completed Start (also as its tool tip).
    QLabel* VerdictLabel;
    QLineEdit* Edit10;
    QLineEdit* Edit2;
    QLineEdit* Edit4;
    QLineEdit* Edit5;
    QLineEdit* Edit6;
    QLineEdit* Edit7;
    QLineEdit* Edit8;
    QLineEdit* Edit9;
    QLineEdit* Edit11;
    QLineEdit* Edit12;
    QLineEdit* Edit13;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* label12;
    QLabel* Label13;
    QLabel* Label14;
    QPushButton* Button1;

    QMenu* File1;
    QMenu* Run1;
    QMenu* View1;
    QMenu* Tools1;
    QMenu* help1;
    QAction* Open1;
    QAction* Save1;
    QAction* Saveas1;
    QAction* Export1;
    QAction* Print1;
    QAction* Exit1;
    QAction* clear1;
    QAction* VarCov1;
    QAction* parameters1;
    QAction* residualssurface1;
    QAction* Differentialspectra1;
    QAction* DataMap1;
    QAction* Singularvalues1;
    QAction* Timeconstants1;
    QAction* Instrumentresponse1;
    // Checkable: Start searches for the lowest minimum (minimum_search_command.cpp).
    QAction* Searchlowestminimum1;
    // The View menu's time axes (named as in kTimeAxisChoices) and the
    // switch time.
    QActionGroup* timeAxisGroup;
    QAction* Switchtime1;
    QActionGroup* fitMethodGroup;
    QAction* ClassicLevenbergMarquardt1;
    QAction* Variableprojection1;
    QAction* About1;

  public slots:
    void FormCreate();
    void Open1Click();
    void Save1Click();
    void Saveas1Click();
    void Button1Click();
    void clear1Click();
    void Exit1Click();
    void Print1Click();
    void Export1Click();
    void VarCov1Click();
    void parameters1Click();
    void residualssurface1Click();
    void Differentialspectra1Click();
    void DataMap1Click();
    void Singularvalues1Click();
    void Timeconstants1Click();
    void Instrumentresponse1Click();
    void Searchlowestminimum1Click();
    void Switchtime1Click();
    void About1Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // main_window_controls.cpp
    void createControls();
    void designChart();
    // The texts of the eleven boxes Start reads, in the order of StartBoxes.
    StartBoxes startBoxTexts() const;
    // The nine time-constant boxes in the order t1..t9.
    std::vector<QLineEdit*> timeConstantBoxes() const;
    // Shows `message` right of Label1, up to the column of boxes, in two
    // lines where it needs them.
    void showVerdict(const QString& message);

    // main_window_menus.cpp
    void createActions();
    void createMenus();

    // main_window_files.cpp
    void saveResultsTo(const QString& path);
    SavedSupplement evolutionSupplement() const;
    bool openMatrixFile(MatrixFile file);
    // A black line series of curve `curve`'s points titled `title`, the
    // curve's data series.
    void addDataSeries(int curve, const QString& title, const SavedCurve& source);
    // The data map's Export: the Export dialog, then the map written.
    void exportDataMap();

    // main_window_view.cpp
    // Puts the chosen time axis on the main chart (its data range from the
    // traces' series only) and checks its menu item.
    void applyTimeAxis();
    // The residual surface's time range for the chosen axis.
    void showResidualsOnTimeAxis();
    // With an axis over the data, a fitted curve is the model at its
    // trace's own times (at most 2000 of them, evenly by index, the last
    // included), so that it spans the data, negative times and all, instead
    // of the designed grid 1e-7..10. A change between the designed axis and
    // one over the data draws the last fit's curves anew on the other grid,
    // unless traces were loaded since that fit or a fit is running.
    void plotFittedCurveAtTraceTimes(int curve, ChartSeries& series);

    // unit1.cpp
    // Runs `command`; an exception ends it and is shown in the error box.
    void runCommand(const std::function<void()>& command);
    void showError(const QString& text, const QString& detail);
    // Start, Open, Save, Save as..., Clear and Var-Cov Matrix on or off.
    void setFitCommandsEnabled(bool enabled) override;
    // Exit given during a fit: the program ends when the fit has finished,
    // and the window's caption says so.
    void requestExitAfterFit();
    void replaceFittedCurves();
    // The concentration profiles off the chart, the spectra window's box off.
    void removeConcentrations();

    // minimum_search_command.cpp
    // The search from the boxes with `hooks` for its final fit; returns the
    // text for Label1, `report` gets the search's lines.
    std::string runMinimumSearch(const StartHooks& hooks, QString& report);

    UserInteraction interaction_;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    TForm4* form4_ = nullptr;
    TForm5* form5_ = nullptr;
    DataMapWindow* dataMapWindow_ = nullptr;
    SingularValuesWindow* singularValuesWindow_ = nullptr;
    TimeConstantsWindow* timeConstantsWindow_ = nullptr;  // made at its first use
    // The data series of curves 1..curveCount, in curve order.
    std::vector<ChartSeries*> dataSeries_;
    // What the saved curves file names of curve c: curveSources_[c-1].
    std::vector<SavedCurve> curveSources_;
    // The series the last completed Start added, freed by the next Start.
    std::vector<ChartSeries*> fittedCurveSeries_;
    // The concentration profiles the spectra window drew, after every other series.
    std::vector<ChartSeries*> concentrationSeries_;
    QString resultsFile_;
    bool exitRequested_ = false;
    bool searchRunning_ = false;
    bool searchStopRequested_ = false;
    TimeAxis timeAxis_ = TimeAxis::Designed;
    QString typedSwitchTime_;
    ResponseBoxes response_;
    // The method checked before the response greyed the classic one out.
    FitMethod methodBeforeResponse_ = FitMethod::Classic;
};

}  // namespace quorvane
