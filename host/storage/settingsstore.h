// The per-user settings store: string values addressed by application, section and key,
// kept in $XDG_CONFIG_HOME/Vexorin/Vexorin.ini.
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
    // Writes pending changes to disk.
    static void flush();
    // The file behind the store of `appName`.
    static QString fileName(const QString &appName);
    // Within a batch each value is stored at once for reading, but the file is written
    // only once, when the batch commits: a group of writes costs one write to disk.
    class Batch
    {
    public:
        Batch();
        ~Batch(); // commits when commit() was not called
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;
        // Writes the file; returns false and a reason when it cannot be written.
        bool commit(const QString &appName, QString *error = nullptr);

    private:
        bool m_open = true;
    };

    // Forgets every open store, so the next access reads the file afresh (tests point
    // XDG_CONFIG_HOME at a new folder between cases; a change of it is also noticed alone).
    static void reset();
};

} // namespace host
