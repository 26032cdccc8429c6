#include "ui/fit_method_setting.h"

#include <QSettings>
#include <QString>

namespace quorvane {

namespace {

const QString kFitMethodKey = QStringLiteral("fitMethod");
const QString kVariableProjection = QStringLiteral("varpro");

}  // namespace

QSettings userSettings() {
    return QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
}

void rememberFitMethod(FitMethod method) {
    userSettings().setValue(kFitMethodKey, method == FitMethod::VariableProjection
                                               ? kVariableProjection
                                               : QStringLiteral("classic"));
}

FitMethod rememberedFitMethod() {
    return userSettings().value(kFitMethodKey).toString() == kVariableProjection
               ? FitMethod::VariableProjection
               : FitMethod::Classic;
}

}  // namespace quorvane
