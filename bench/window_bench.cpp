// The desktop program at capacity: 40 traces of 20000 points opened through
// the main window, fitted with 3 components, then timed as the user sees
// it. Prints, in milliseconds:
//   - the median redraw of the main chart (80 series, full redraw);
//   - the time from Tools > Residual's surface to its first painted frame
//     (800 000 residuals computed, 40 bar series, drawn once);
//   - the median repaint of Residual's surface;
//   - the median redraw of the nine charts of Differential spectra.
// Not a test: no figure is checked; scripts/bench_window.sh runs it.
// Usage: quorvane_window_bench [repeats]   (default 15)
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench_problems.h"
#include "chart/chart.h"
#include "data/number_text.h"
#include "data/workspace.h"
#include "ui/start_up.h"
#include "ui/unit1.h"
#include "views/unit4.h"
#include "views/unit5.h"

namespace {

using quorvane::bench::ProblemSize;

constexpr ProblemSize kWindowCapacity{40, 20000, 3};

double milliseconds(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(const std::function<void()>& action, int repeats) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i)
        times.push_back(milliseconds(action));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Lets events run until `window` is on screen (a window not yet mapped by
// the display server paints nothing), at most two seconds.
void waitUntilExposed(QWidget& window) {
    QElapsedTimer timer;
    timer.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && timer.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The problem's curves as trace files 400.txt, 405.txt, ... in `folder`.
QStringList writeTraces(const QTemporaryDir& folder) {
    quorvane::bench::loadProblem(kWindowCapacity);
    QStringList paths;
    for (int c = 1; c <= kWindowCapacity.curves; ++c) {
        const QString path = folder.filePath(QStringLiteral("%1.txt").arg(395 + 5 * c));
        std::FILE* file = std::fopen(path.toLocal8Bit().constData(), "w");
        if (file == nullptr)
            return {};
        const quorvane::Curve& curve = quorvane::workspace.curves[c];
        for (int i = 1; i <= kWindowCapacity.points; ++i)
            std::fprintf(file, "%.9g %.9g\n", curve.times[i], curve.values[i]);
        std::fclose(file);
        paths << path;
    }
    return paths;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    quorvane::setDecimalSeparator('.');
    QTemporaryDir folder;
    const QStringList traces = writeTraces(folder);
    if (traces.isEmpty()) {
        std::fprintf(stderr, "cannot write the trace files\n");
        return 1;
    }

    quorvane::TForm1 form1;
    quorvane::createResultWindows(form1);
    int errors = 0;
    form1.userInteraction().showError = [&errors](quorvane::TForm1&, const QString& text,
                                                  const QString&) {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
        ++errors;
    };
    form1.show();
    waitUntilExposed(form1);
    for (const QString& trace : traces)
        form1.openTraceFile(trace);
    form1.Edit10->setText(QStringLiteral("3"));
    form1.Edit2->setText(QStringLiteral("5"));
    form1.Button1Click();
    QApplication::processEvents();
    if (errors > 0)
        return 1;

    const double mainChart = median([&] { form1.Chart1->redraw(); }, repeats);
    const double showSurface = milliseconds([&] {
        form1.residualssurface1Click();
        waitUntilExposed(*form1.form4());
        form1.form4()->repaint();
    });
    QApplication::processEvents();
    const double surface = median([&] { form1.form4()->Chart1->repaint(); }, repeats);
    form1.Differentialspectra1Click();
    waitUntilExposed(*form1.form5());
    const double spectra = median(
        [&] {
            for (int k = 1; k <= 9; ++k)
                form1.form5()->chart(k)->redraw();
        },
        repeats);

    std::printf("window at capacity: %d traces x %d points, %d components fitted, platform %s\n",
                kWindowCapacity.curves, kWindowCapacity.points, kWindowCapacity.components,
                qPrintable(QGuiApplication::platformName()));
    std::printf("%-52s %10.1f ms\n", "main chart redraw (median)", mainChart);
    std::printf("%-52s %10.1f ms\n", "Residual's surface: command to first frame", showSurface);
    std::printf("%-52s %10.1f ms\n", "Residual's surface repaint (median)", surface);
    std::printf("%-52s %10.1f ms\n", "Differential spectra, nine charts redrawn (median)", spectra);
    return 0;
}
