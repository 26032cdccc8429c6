// The choice of the fit method in the Tools menu, its memory between runs,
// and the verdict beside Label1 after Start.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstring>
#include <memory>

#include "data/number_format.h"
#include "data/number_text.h"
#include "data/workspace.h"
#include "fit/goodness_of_fit.h"
#include "ui/fit_method_setting.h"
#include "ui/start_up.h"
#include "ui/unit1.h"

namespace quorvane {

class FitMethodTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<TForm1> form1;
    QStringList errors;

    // Two traces of decays with time constants 1e-5 and 1e-3 s.
    void loadTwoTraces() {
        for (int c = 0; c < 2; ++c) {
            QByteArray text;
            for (int i = 0; i < 120; ++i) {
                const double t = 1e-7 * std::pow(10.0, 6.0 * i / 119);
                const double y = 0.01 * c + (0.2 + c) * std::exp(-t / 1e-5) +
                                 0.3 * std::exp(-t / 1e-3) + (i % 2 ? 1e-4 : -1e-4);
                text +=
                    QByteArray::number(t, 'g', 17) + ' ' + QByteArray::number(y, 'g', 17) + '\n';
            }
            const QString path = folder->filePath(QStringLiteral("%1.txt").arg(450 + 50 * c));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
            file.close();
            form1->openTraceFile(path);
        }
        form1->Edit10->setText(QStringLiteral("2"));
        form1->Edit4->setText(QStringLiteral("3e-5"));
        form1->Edit5->setText(QStringLiteral("3e-4"));
    }

  private slots:
    void init() {
        std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
        setDecimalSeparator('.');
        folder = std::make_unique<QTemporaryDir>();
        // The user's settings live in the temporary folder for this test.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder->path());
        errors.clear();
        form1 = std::make_unique<TForm1>();
        form1->userInteraction().showError = [this](TForm1&, const QString& text, const QString&) {
            errors << text;
        };
    }

    void cleanup() { form1.reset(); }

    void classicIsCheckedAtFirstAndTheItemsExcludeEachOther() {
        QVERIFY(form1->ClassicLevenbergMarquardt1->isChecked());
        QVERIFY(!form1->Variableprojection1->isChecked());
        QCOMPARE(form1->fitMethod(), FitMethod::Classic);
        form1->Variableprojection1->trigger();
        QVERIFY(!form1->ClassicLevenbergMarquardt1->isChecked());
        QCOMPARE(form1->fitMethod(), FitMethod::VariableProjection);
    }

    void theChoiceIsRememberedForTheNextStartUp() {
        QCOMPARE(rememberedFitMethod(), FitMethod::Classic);
        form1->Variableprojection1->trigger();
        TForm1 next;
        restoreRememberedChoices(next);
        QCOMPARE(next.fitMethod(), FitMethod::VariableProjection);
        next.ClassicLevenbergMarquardt1->trigger();
        QCOMPARE(rememberedFitMethod(), FitMethod::Classic);
    }

    void startShowsTheVerdictBesideTheSumOfSquares() {
        loadTwoTraces();
        form1->Edit2->setText(QStringLiteral("3"));
        form1->Button1Click();
        QVERIFY(errors.isEmpty());
        QVERIFY(form1->VerdictLabel->toolTip().startsWith(QStringLiteral("Not converged: ")));
        QVERIFY(form1->VerdictLabel->x() > form1->Label1->x() + form1->Label1->width());
        QCOMPARE(form1->VerdictLabel->y(), form1->Label1->y());
        QVERIFY(form1->VerdictLabel->geometry().right() < form1->Edit10->x());

        form1->Variableprojection1->trigger();
        form1->Edit2->setText(QStringLiteral("30"));
        form1->Button1Click();
        QVERIFY(errors.isEmpty());
        QCOMPARE(form1->VerdictLabel->text(), QStringLiteral("Converged"));
        QCOMPARE(form1->Edit4->text(), QStringLiteral("1.00000E-5"));
        // Label1 keeps its designed text: the final sum in the 15-digit format.
        QCOMPARE(form1->Label1->text(),
                 QString::fromStdString(formatGeneral15(sumSquaredResiduals())));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::FitMethodTest)
#include "fit_method_test.moc"
