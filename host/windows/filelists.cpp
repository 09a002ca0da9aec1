#include "filelists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>
#include <QSet>
#include <QStyledItemDelegate>
#include <algorithm>

namespace host {

namespace {
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPerLevel = 8;

// Indents each folder by its depth. The indent is drawn, not put into the text, so that
// typing a folder's name finds it.
class FolderIndent : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(index.data(kDepthRole).toInt() * kIndentPerLevel, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};
// The folder pictures of the desktop's icon theme, as the style gives them. Without a theme
// of the desktop's own only the fallback theme is there, which holds application icons:
// looking folders up in it reads its whole index (a third of the picker's start) to end
// with Qt's own pictures anyway, so those are taken straight.
QIcon folderIcon(const QStyle *style, QStyle::StandardPixmap which, const char *builtIn)
{
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QIcon::fallbackThemeName()) {
        const QString path = QStringLiteral(":/qt-project.org/styles/commonstyle/images/") + QLatin1String(builtIn);
        if (QFile::exists(path))
            return QIcon(path);
    }
    return style->standardIcon(which);
}
} // namespace

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    fill();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) { emit driveChanged(drive()); });
}

void DriveList::fill()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        // Single files bind-mounted into the tree are volumes too, but hold no folders.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots << volume.rootPath();
    }
    roots.removeDuplicates();
    std::sort(roots.begin(), roots.end());
    const QSignalBlocker quiet(this);
    clear();
    addItems(roots);
}

bool DriveList::setDrive(const QString &path)
{
    const QString root = QStorageInfo(path).rootPath();
    if (root.isEmpty())
        return false;
    int at = findText(root);
    if (at < 0) {
        addItem(root);
        at = count() - 1;
    }
    setCurrentIndex(at);
    return true;
}

QString DriveList::drive() const
{
    return currentText();
}

FolderList::FolderList(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new FolderIndent(this));
    // Opening a folder is a double click or Enter, so browsing with the arrow keys does not
    // wander through the file system.
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const QString target = item->data(Qt::UserRole).toString();
        if (target != m_path)
            setPath(target);
    });
}

bool FolderList::setPath(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    if (clean == m_path)
        return true;
    m_path = clean;
    fill();
    setAccessibleDescription(QDir::toNativeSeparators(m_path));
    emit pathChanged(m_path);
    return true;
}

void FolderList::fill()
{
    clear();
    // The chain from the root down to the open folder (open-folder icons), then the
    // folders inside it (closed-folder icons), one level deeper.
    QStringList chain;
    for (QDir dir(m_path);;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    const QIcon open = folderIcon(style(), QStyle::SP_DirOpenIcon, "diropen-16.png");
    const QIcon closed = folderIcon(style(), QStyle::SP_DirIcon, "dirclosed-16.png");
    int depth = 0;
    auto add = [this](const QIcon &icon, const QString &name, const QString &folder, int level) {
        auto *item = new QListWidgetItem(icon, name, this);
        item->setData(Qt::UserRole, folder);
        item->setData(kDepthRole, level);
    };
    for (const QString &folder : chain) {
        add(open, depth == 0 ? folder : QFileInfo(folder).fileName(), folder, depth);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QDir here(m_path);
    const QStringList inside = here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : inside)
        add(closed, name, here.absoluteFilePath(name), depth);
}

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &FileList::refresh);
    // The first change starts the wait; the ones during it are read along with it.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_settle.isActive())
            m_settle.start();
    });
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            emit fileClicked(item(row)->text());
    });
    // A click that did not change the row (the entry was already chosen) picks it again:
    // that is how one picture goes into a second slot.
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem *clicked) {
        if (clicked && row(clicked) == m_rowAtPress)
            emit fileClicked(clicked->text());
    });
}

void FileList::mousePressEvent(QMouseEvent *event)
{
    m_rowAtPress = currentRow();
    QListWidget::mousePressEvent(event);
}

void FileList::refresh()
{
    m_settle.stop();
    const QStringList names = offeredNames();
    const int rows = count();
    bool same = rows == names.size();
    for (int i = 0; same && i < rows; ++i)
        same = item(i)->text() == names[i];
    if (same)
        return;

    const QSignalBlocker quiet(this);
    const QString chosen = fileName();
    // Gone entries leave; the ones that stay keep their order, so each new name goes in
    // where the fresh list has it. Anything else (a pattern changed meanwhile) fills anew.
    const QSet<QString> wanted(names.begin(), names.end());
    for (int i = count() - 1; i >= 0; --i) {
        if (!wanted.contains(item(i)->text()))
            delete takeItem(i);
    }
    for (int i = 0; i < names.size(); ++i) {
        if (i >= count() || item(i)->text() != names[i])
            insertItem(i, names[i]);
    }
    if (count() != names.size())
        fill();
    if (chosen.isEmpty() || !selectFile(chosen)) {
        setCurrentRow(-1);
        clearSelection();
    }
}

void FileList::setPattern(const QString &pattern)
{
    m_patterns = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    fill();
}

bool FileList::offers(const QString &name) const
{
    return QDir::match(m_patterns, name);
}

void FileList::setPath(const QString &path)
{
    m_path = path;
    fill();
    watch();
}

void FileList::watch()
{
    m_settle.stop();
    const QStringList watched = m_watcher.directories();
    if (watched == QStringList{m_path})
        return;
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    if (!m_path.isEmpty())
        m_watcher.addPath(m_path); // a folder that cannot be watched is listed as it was
}

QString FileList::fileName() const
{
    const QListWidgetItem *chosen = currentItem();
    return chosen ? chosen->text() : QString();
}

bool FileList::selectFile(const QString &name)
{
    const QList<QListWidgetItem *> found = findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    setCurrentItem(found.first());
    return true;
}

void FileList::fill()
{
    const QSignalBlocker quiet(this);
    clear();
    addItems(offeredNames());
}

QStringList FileList::offeredNames() const
{
    if (m_path.isEmpty())
        return {};
    // Without QDir::CaseSensitive the patterns match any case: IMG_0001.JPG is offered too.
    return QDir(m_path).entryList(m_patterns, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

} // namespace host
