#include "ui/view_settings.h"

#include <QSettings>
#include <cstddef>

#include "ui/fit_method_setting.h"

namespace quorvane {

namespace {

const QString kTimeAxisKey = QStringLiteral("timeAxis");
const QString kSwitchKey = QStringLiteral("timeAxisSwitch");

// Visits every field of `response` with its key, so that storing and
// reading walk one list.
template <typename Boxes, typename TextField, typename ChoiceField>
void forEachField(Boxes& response, TextField text, ChoiceField choice) {
    choice(QStringLiteral("enabled"), response.enabled);
    text(QStringLiteral("fwhm"), response.fwhm);
    choice(QStringLiteral("fitFwhm"), response.fitFwhm);
    text(QStringLiteral("centre"), response.centre);
    choice(QStringLiteral("fitCentre"), response.fitCentre);
    text(QStringLiteral("dispersionOrder"), response.dispersionOrder);
    for (std::size_t i = 0; i < response.dispersion.size(); ++i) {
        const QString number = QString::number(i + 1);
        text(QStringLiteral("dispersion") + number, response.dispersion[i]);
        choice(QStringLiteral("fitDispersion") + number, response.fitDispersion[i]);
    }
    text(QStringLiteral("referenceWavelength"), response.referenceWavelength);
    choice(QStringLiteral("step"), response.step);
}

}  // namespace

void rememberTimeAxis(TimeAxis axis, const QString& switchText) {
    QSettings settings = userSettings();
    for (const TimeAxisChoice& choice : kTimeAxisChoices) {
        if (choice.axis == axis)
            settings.setValue(kTimeAxisKey, QString::fromLatin1(choice.settingsWord));
    }
    settings.setValue(kSwitchKey, switchText);
}

TimeAxis rememberedTimeAxis() {
    const QString word = userSettings().value(kTimeAxisKey).toString();
    for (const TimeAxisChoice& choice : kTimeAxisChoices) {
        if (word == QLatin1String(choice.settingsWord))
            return choice.axis;
    }
    return TimeAxis::Designed;
}

QString rememberedSwitchTime() {
    return userSettings().value(kSwitchKey).toString();
}

void rememberResponse(const ResponseBoxes& response) {
    QSettings settings = userSettings();
    settings.beginGroup(QStringLiteral("response"));
    forEachField(
        response,
        [&settings](const QString& key, const std::string& value) {
            settings.setValue(key, QString::fromStdString(value));
        },
        [&settings](const QString& key, bool value) { settings.setValue(key, value); });
}

ResponseBoxes rememberedResponse() {
    QSettings settings = userSettings();
    settings.beginGroup(QStringLiteral("response"));
    ResponseBoxes response;
    forEachField(
        response,
        [&settings](const QString& key, std::string& value) {
            if (settings.contains(key))
                value = settings.value(key).toString().toStdString();
        },
        [&settings](const QString& key, bool& value) {
            value = settings.value(key, value).toBool();
        });
    return response;
}

}  // namespace quorvane
