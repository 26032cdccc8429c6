// Start with Tools > "Search for the lowest minimum" checked: the search of
// fit/minimum_search.h, by variable projection whichever method is checked.
// While it runs the Start button reads "Stop" and stops it (between two
// runs, or inside one at the top of its next iteration); Exit or closing the
// window stops it too. Its summary line follows the verdict on Label1's row,
// and the line of every minimum is in that label's tool tip.
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "fit/minimum_search.h"
#include "ui/unit1.h"

namespace quorvane {

void TForm1::Searchlowestminimum1Click() {
    if (interaction_.rememberMinimumSearch)
        interaction_.rememberMinimumSearch(Searchlowestminimum1->isChecked());
}

std::string TForm1::runMinimumSearch(const StartHooks& hooks, QString& report) {
    MinimumSearchHooks searchHooks;
    searchHooks.result = hooks;
    searchHooks.stopRequested = [this] { return searchStopRequested_ || exitRequested_; };
    struct SearchRunning {
        TForm1* window;
        explicit SearchRunning(TForm1* form) : window(form) {
            window->searchRunning_ = true;
            window->searchStopRequested_ = false;
            window->Button1->setText(QStringLiteral("Stop"));
            window->Button1->setEnabled(true);
        }
        ~SearchRunning() {
            window->searchRunning_ = false;
            window->Button1->setText(QStringLiteral("Start"));
        }
    } running{this};
    const MinimumSearchResult result = searchLowestMinimum(startBoxTexts(), -1, searchHooks);
    report.clear();
    for (const std::string& line : searchReportLines(result))
        report +=
            (report.isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromStdString(line);
    return result.sumText;
}

}  // namespace quorvane
