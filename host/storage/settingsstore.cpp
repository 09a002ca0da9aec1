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

// A settings file larger than this is not ours: ten short entries never come near it.
constexpr qint64 kFileLimit = 1024 * 1024;

struct Store
{
    // Null when the file at the store's place cannot be used (a folder, a device): reads
    // then give their defaults and writes fail with `problem`.
    std::unique_ptr<QSettings> settings;
    QString problem; // what was wrong with the file when the store was opened, if anything
};

struct Stores
{
    int batches = 0; // open SettingsStore::Batch objects
    // The config folder the open stores were made for; QSettings fixes its user path at
    // first use, so a change of XDG_CONFIG_HOME has to be handed to it explicitly.
    QString configHome;
    std::map<QString, Store> open;
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

// Where QSettings keeps the user's INI store of organisation and application `appName`.
QString filePath(const QString &configHome, const QString &appName)
{
    return QDir(configHome).filePath(appName + QLatin1Char('/') + appName + QStringLiteral(".ini"));
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Opens the store of `appName`, looking first at what lies at the file's place: the
// settings reader takes in a whole file, whatever it is, before any value is read.
void open(Store &store, const QString &path, const QString &appName)
{
    struct stat st{};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            store.problem = QStringLiteral("it is a folder, not a file");
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            store.problem = QStringLiteral("it is not a regular file");
            return;
        }
        if (st.st_size > kFileLimit) {
            // Kept aside under a name of its own, never overwritten: the next write starts
            // a new file.
            const QString aside = path + QStringLiteral(".damaged");
            if (::rename(name.constData(), QFile::encodeName(aside).constData()) != 0) {
                store.problem = QStringLiteral("it is larger than 1 MB");
                return;
            }
            store.problem = QStringLiteral("it was larger than 1 MB, and is kept as \"%1\"").arg(native(aside));
        }
    }
    store.settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, appName, appName);
}

// One store per application name, kept for the run so reads do not re-parse the file.
Store &store(const QString &appName)
{
    Stores &s = stores();
    const QString home = currentConfigHome();
    if (home != s.configHome) {
        s.open.clear();
        s.configHome = home;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home);
    }
    auto found = s.open.find(appName);
    if (found == s.open.end()) {
        found = s.open.emplace(appName, Store()).first;
        open(found->second, filePath(home, appName), appName);
    }
    return found->second;
}

QString keyPath(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

QString reasonFor(const QString &fileName)
{
    const QFileInfo file(fileName);
    if (!QFileInfo(file.absolutePath()).exists() && !QDir().mkpath(file.absolutePath()))
        return QStringLiteral("the folder %1 cannot be created").arg(native(file.absolutePath()));
    if (file.isDir())
        return QStringLiteral("it is a folder, not a file");
    if (!QFileInfo(file.absolutePath()).isDir())
        return QStringLiteral("%1 is not a folder").arg(native(file.absolutePath()));
    return QStringLiteral("access denied or the disk is full");
}

// Writes the store's file; false and a reason when that fails.
bool writeOut(const QString &appName, QString *error)
{
    Store &store = host::store(appName);
    if (!store.settings) {
        if (error)
            *error = store.problem;
        return false;
    }
    QSettings &s = *store.settings;
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
        *error = reasonFor(s.fileName());
    return false;
}
} // namespace

QString SettingsStore::GetSetting(const QString &appName, const QString &section, const QString &key,
                                  const QString &fallback)
{
    const Store &s = store(appName);
    const QVariant value = s.settings ? s.settings->value(keyPath(section, key)) : QVariant();
    if (!value.isValid())
        return fallback;
    return value.toString();
}

bool SettingsStore::SaveSetting(const QString &appName, const QString &section, const QString &key,
                                const QString &value, QString *error)
{
    Store &s = store(appName);
    if (!s.settings) {
        if (error)
            *error = s.problem;
        return false;
    }
    s.settings->setValue(keyPath(section, key), value);
    if (stores().batches > 0)
        return true;
    return writeOut(appName, error);
}

QString SettingsStore::openingProblem(const QString &appName)
{
    return store(appName).problem;
}

void SettingsStore::flush()
{
    for (auto &[name, s] : stores().open) {
        if (s.settings)
            s.settings->sync();
    }
}

QString SettingsStore::fileName(const QString &appName)
{
    return filePath(currentConfigHome(), appName);
}

SettingsStore::Batch::Batch(QString appName) : m_appName(std::move(appName))
{
    ++stores().batches;
}

SettingsStore::Batch::~Batch()
{
    if (m_open)
        commit();
}

bool SettingsStore::Batch::commit(QString *error)
{
    if (m_open) {
        m_open = false;
        --stores().batches;
    }
    return writeOut(m_appName, error);
}

void SettingsStore::reset()
{
    stores().open.clear();
    stores().configHome.clear();
}

} // namespace host
