#include "ui/search_setting.h"

#include <QSettings>
#include <QString>

#include "ui/fit_method_setting.h"

namespace quorvane {

namespace {

const QString kMinimumSearchKey = QStringLiteral("searchLowestMinimum");

}  // namespace

void rememberMinimumSearch(bool on) {
    userSettings().setValue(kMinimumSearchKey, on);
}

bool rememberedMinimumSearch() {
    return userSettings().value(kMinimumSearchKey, false).toBool();
}

}  // namespace quorvane
