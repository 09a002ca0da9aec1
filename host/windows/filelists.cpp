#include "filelists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>
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
// Qt's own folder pictures, as its styles draw them when the desktop's icon theme has none.
// Taken straight from them: looking a theme up costs more than making the whole list.
QIcon folderIcon(const QStyle *style, QStyle::StandardPixmap which, const char *builtIn)
{
    const QString path = QStringLiteral(":/qt-project.org/styles/commonstyle/images/") + QLatin1String(builtIn);
    return QFile::exists(path) ? QIcon(path) : style->standardIcon(which);
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
    const QString chosen = fileName();
    fill();
    if (chosen.isEmpty())
        return;
    const QSignalBlocker quiet(this);
    selectFile(chosen);
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
    if (m_path.isEmpty())
        return;
    // Without QDir::CaseSensitive the patterns match any case: IMG_0001.JPG is offered too.
    const QDir dir(m_path);
    const QStringList names = dir.entryList(m_patterns, QDir::Files, QDir::Name | QDir::IgnoreCase);
    addItems(names);
}

} // namespace host
