#include "appsettings.h"

#include "hostapp.h"
#include "settingsstore.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace app {

namespace {
const EntryInfo &info(Entry entry)
{
    Q_ASSERT(static_cast<size_t>(entry) < std::size(kEntries));
    return kEntries[static_cast<size_t>(entry)];
}

// A number as the stored text gives it: blanks around it allowed, a decimal fraction
// rounded half to even; nothing for anything else.
std::optional<double> number(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return std::nearbyint(value);
}

template <typename T>
std::optional<T> toInteger(const QString &text)
{
    const auto value = number(text);
    if (!value || *value < double(std::numeric_limits<T>::min()) || *value > double(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(*value);
}
} // namespace

Entry imageEntry(int slot)
{
    // Slots 0 ... 6 only: slot 7 would silently be the start-up entry.
    Q_ASSERT(slot >= 0 && slot <= 6);
    return static_cast<Entry>(static_cast<int>(Entry::Image0) + slot);
}

QString readEntry(Entry entry)
{
    const EntryInfo &e = info(entry);
    return host::SettingsStore::GetSetting(QLatin1String(kAppName), QLatin1String(e.section),
                                           QLatin1String(e.key), QLatin1String(e.fallback));
}

bool writeEntry(Entry entry, const QString &value, QString *error)
{
    const EntryInfo &e = info(entry);
    return host::SettingsStore::SaveSetting(QLatin1String(kAppName), QLatin1String(e.section),
                                            QLatin1String(e.key), value, error);
}

std::optional<qint16> toInt16(const QString &text)
{
    return toInteger<qint16>(text);
}

std::optional<qint32> toInt32(const QString &text)
{
    return toInteger<qint32>(text);
}

QString decimal(qint64 value)
{
    return QString::number(value);
}

std::optional<qint16> readStartup()
{
    return toInt16(readEntry(Entry::Startup));
}

std::optional<qint16> readUseFrame()
{
    return toInt16(readEntry(Entry::UseFrame));
}

std::optional<qint32> readTransparentColour()
{
    return toInt32(readEntry(Entry::TransparentColour));
}

} // namespace app
