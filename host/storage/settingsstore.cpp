#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <map>
#include <memory>
#include <sys/stat.h>

namespace host {

namespace {
// Which file is on disk under a name: a rewrite puts a new file in its place.
struct FileIdentity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds

    static FileIdentity of(const QString &path)
    {
        FileIdentity id;
        struct stat st{};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return id;
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.size = st.st_size;
        id.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        return id;
    }
    bool operator==(const FileIdentity &) const = default;
};

struct Stores
{
    int batches = 0; // open SettingsStore::Batch objects
    // The config folder the open stores were made for; QSettings fixes its user path at
    // first use, so a change of XDG_CONFIG_HOME has to be handed to it explicitly.
    QString configHome;
    std::map<QString, std::unique_ptr<QSettings>> open;
};

Stores &stores()
{
    static Stores s;
    return s;
}

QString currentConfigHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// One QSettings per application name, kept for the run so reads do not re-parse the file.
QSettings &store(const QString &appName)
{
    Stores &s = stores();
    const QString home = currentConfigHome();
    if (home != s.configHome) {
        s.open.clear();
        s.configHome = home;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home);
    }
    auto &slot = s.open[appName];
    if (!slot)
        slot = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, appName, appName);
    return *slot;
}

QString keyPath(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

QString reasonFor(const QSettings &s)
{
    const QFileInfo file(s.fileName());
    if (!QFileInfo(file.absolutePath()).exists() && !QDir().mkpath(file.absolutePath()))
        return QStringLiteral("the folder %1 cannot be created").arg(QDir::toNativeSeparators(file.absolutePath()));
    return QStringLiteral("access denied or the disk is full");
}

// Writes the store's file; false and a reason when that fails.
bool writeOut(const QString &appName, QString *error)
{
    QSettings &s = store(appName);
    const FileIdentity before = FileIdentity::of(s.fileName());
    s.sync();
    if (s.status() == QSettings::NoError)
        return true;
    if (s.status() == QSettings::FormatError) {
        // The format error is what the store found reading the old file while writing. A
        // new file in its place holds what was just written: the store is sound again
        // (reopened at the next access, to forget the error). A file left as it was could
        // not be replaced.
        const FileIdentity now = FileIdentity::of(s.fileName());
        if (now.exists && !(now == before)) {
            stores().open.erase(appName);
            return true;
        }
    }
    if (error)
        *error = reasonFor(s);
    return false;
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
    if (stores().batches > 0)
        return true;
    return writeOut(appName, error);
}

void SettingsStore::flush()
{
    store(QStringLiteral("Vexorin")).sync();
}

QString SettingsStore::fileName(const QString &appName)
{
    return store(appName).fileName();
}

SettingsStore::Batch::Batch()
{
    ++stores().batches;
}

SettingsStore::Batch::~Batch()
{
    if (m_open)
        commit(QStringLiteral("Vexorin"));
}

bool SettingsStore::Batch::commit(const QString &appName, QString *error)
{
    if (m_open) {
        m_open = false;
        --stores().batches;
    }
    return writeOut(appName, error);
}

void SettingsStore::reset()
{
    stores().open.clear();
    stores().configHome.clear();
}

} // namespace host
