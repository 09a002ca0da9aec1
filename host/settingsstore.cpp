#include "settingsstore.h"

#include <QSettings>
#include <map>
#include <memory>

namespace host {

namespace {
// One QSettings per application name, kept for the run so reads do not re-parse the file.
QSettings &store(const QString &appName)
{
    static std::map<QString, std::unique_ptr<QSettings>> stores;
    auto &slot = stores[appName];
    if (!slot)
        slot = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, appName, appName);
    return *slot;
}

QString keyPath(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

QString SettingsStore::GetSetting(const QString &appName, const QString &section, const QString &key,
                                  const QString &fallback)
{
    const QVariant value = store(appName).value(keyPath(section, key));
    if (!value.isValid())
        return fallback;
    return value.toString();
}

bool SettingsStore::SaveSetting(const QString &appName, const QString &section, const QString &key,
                                const QString &value, QString *error)
{
    QSettings &s = store(appName);
    s.setValue(keyPath(section, key), value);
    s.sync();
    if (s.status() != QSettings::NoError) {
        if (error)
            *error = s.status() == QSettings::AccessError ? QStringLiteral("access denied")
                                                          : QStringLiteral("the file is damaged");
        return false;
    }
    return true;
}

void SettingsStore::flush()
{
    store(QStringLiteral("Vexorin")).sync();
}

QString SettingsStore::fileName(const QString &appName)
{
    return store(appName).fileName();
}

} // namespace host
