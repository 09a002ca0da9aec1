// The per-user settings store: string values addressed by application, section and key,
// kept in $XDG_CONFIG_HOME/<application>/<application>.ini.
//
// Only a regular file of at most 1 MB is read. A larger one is no settings file of ours: it
// is moved aside to "<file>.damaged" (never overwritten) and the store starts empty. A
// folder or a device at the file's place is left alone: reads give their defaults and
// writes fail, saying what is there. openingProblem() tells the caller either way.
#pragma once

#include <QString>

namespace host {

class SettingsStore
{
public:
    // Returns the stored value, or `fallback` when the key is absent.
    static QString GetSetting(const QString &appName, const QString &section, const QString &key,
                              const QString &fallback = QString());
    // Stores the value; returns false (and a reason) when the store cannot be written.
    static bool SaveSetting(const QString &appName, const QString &section, const QString &key,
                            const QString &value, QString *error = nullptr);
    // What was wrong with the file when the store was opened ("it is a folder, not a
    // file", ...); empty when nothing was.
    static QString openingProblem(const QString &appName);
    // Writes the pending changes of every open store to disk.
    static void flush();
    // The file behind the store of `appName`.
    static QString fileName(const QString &appName);
    // Within a batch each value is stored at once for reading, but the file is written
    // only once, when the batch commits: a group of writes costs one write to disk.
    class Batch
    {
    public:
        explicit Batch(QString appName);
        ~Batch(); // commits when commit() was not called
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;
        // Writes the file; returns false and a reason when it cannot be written.
        bool commit(QString *error = nullptr);

    private:
        QString m_appName;
        bool m_open = true;
    };

    // Forgets every open store, so the next access reads the file afresh (tests point
    // XDG_CONFIG_HOME at a new folder between cases; a change of it is also noticed alone).
    static void reset();
};

} // namespace host
