// Drive, folder and file lists: the three linked browsers of the picker window.
// DriveList offers the mounted volumes, FolderList the chain of folders down to its path
// and the folders inside it, FileList the files of its folder that match its pattern (any
// case). Each reports a change of its path (or, for the file list, of the chosen entry).
// The file list follows its folder as files come and go. Screen readers read the folder
// list's open folder as its description.
#pragma once

#include <QComboBox>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QStringList>
#include <QTimer>

namespace host {

class DriveList : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    // The volume that holds `path` (its mount point) becomes the chosen drive. Returns
    // false when no mounted volume holds it.
    bool setDrive(const QString &path);
    QString drive() const;

signals:
    void driveChanged(const QString &drive);

private:
    void fill();
};

class FolderList : public QListWidget
{
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);

    // Returns false (path unchanged) when `path` is not a folder.
    bool setPath(const QString &path);
    QString path() const { return m_path; }

signals:
    void pathChanged(const QString &path);

private:
    void fill();

    QString m_path;
};

class FileList : public QListWidget
{
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    // Patterns separated by ';', matched without regard to case ("*.gif;*.bmp;*.jpg").
    void setPattern(const QString &pattern);
    // True when a file called `name` would be offered (it matches the pattern).
    bool offers(const QString &name) const;
    void setPath(const QString &path);
    QString path() const { return m_path; }
    // The chosen entry's name, empty when none is chosen.
    QString fileName() const;
    // Chooses the entry `name`; returns false when the list does not hold it.
    bool selectFile(const QString &name);
    // Reads the folder again (files may have come or gone): entries come and go in place,
    // the chosen entry stays chosen while the folder still holds it, and nothing is chosen
    // when it went. Reports nothing. The list does this by itself shortly after the folder
    // changes; a change of other files costs a reading of the folder only.
    void refresh();
    // How long after a change in the folder the list reads it again; a burst of changes
    // (a folder copied in) is read once.
    static constexpr int kSettleMs = 150;

signals:
    // Each change of the chosen entry, by mouse or keyboard, and a click on the entry
    // already chosen.
    void fileClicked(const QString &name);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void fill();
    QStringList offeredNames() const;
    void watch();

    QString m_path;
    QStringList m_patterns;
    int m_rowAtPress = -1;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};

} // namespace host
