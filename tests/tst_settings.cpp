// The settings entries: keys and sections as stored by earlier runs, defaults, conversions.
#include "app_fixture.h"
#include "app_state.h"
#include "hostapp.h"

#include <QSettings>
#include <sys/stat.h>
#include <unistd.h>

using app::Entry;

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetAppState(); }

    void emptyStoreGivesEveryDefault();
    void imageKeysKeepTheirLeadingBlank();
    void sectionsAreStoredUnderTheirOldNames();
    void integerConversions_data();
    void integerConversions();
    void storedColourComesBackTheSame_data();
    void storedColourComesBackTheSame();
    void changedConfigFolderIsNoticed();
    void unwritableStoreGivesAReason();
    void batchWritesTheFileOnceAtTheEnd();
    void programFolderIsTheExecutablesOnlyWhenWritable_data();
    void programFolderIsTheExecutablesOnlyWhenWritable();
    void ownFolderIsOneNoOneElseMayWrite_data();
    void ownFolderIsOneNoOneElseMayWrite();
    void damagedFileRewrittenWholeIsNoFailure_data();
    void damagedFileRewrittenWholeIsNoFailure();
    void fileThatIsNoSettingsFileIsSaidAndKept_data();
    void fileThatIsNoSettingsFileIsSaidAndKept();
    void storeIsNamedByItsCaller();
};

void tst_Settings::emptyStoreGivesEveryDefault()
{
    apptest::Fixture f;
    for (int i = 0; i < app::kSlotCount; ++i)
        QCOMPARE(app::readEntry(app::imageEntry(i)), QString());
    QCOMPARE(app::readStartup(), std::optional<qint16>(0));
    QCOMPARE(app::readUseFrame(), std::optional<qint16>(0));
    QCOMPARE(app::readTransparentColour(), std::optional<qint32>(255));
}

void tst_Settings::imageKeysKeepTheirLeadingBlank()
{
    apptest::Fixture f;
    QVERIFY(host::SettingsStore::SaveSetting("Vexorin", "Image", "0", "/without/blank.jpg"));
    QCOMPARE(app::readEntry(Entry::Image0), QString());
    f.store(Entry::Image0, "/with/blank.jpg");
    QCOMPARE(app::readEntry(Entry::Image0), QStringLiteral("/with/blank.jpg"));
    QCOMPARE(host::SettingsStore::GetSetting("Vexorin", "Image", "0"), QStringLiteral("/without/blank.jpg"));
}

void tst_Settings::sectionsAreStoredUnderTheirOldNames()
{
    apptest::Fixture f;
    f.store(Entry::Image6, "frame.gif");
    f.store(Entry::Startup, "1");
    f.store(Entry::UseFrame, "1");
    f.store(Entry::TransparentColour, "16711680");
    // Read back through a store of its own, as a later run (or an older version) would.
    QSettings raw(host::SettingsStore::fileName("Vexorin"), QSettings::IniFormat);
    QCOMPARE(raw.value("Image/ 6").toString(), QStringLiteral("frame.gif"));
    QCOMPARE(raw.value("Startup/Value").toString(), QStringLiteral("1"));
    QCOMPARE(raw.value("Use Frame/Value").toString(), QStringLiteral("1"));
    QCOMPARE(raw.value("Tranarent color/Value").toString(), QStringLiteral("16711680"));
    QVERIFY(host::SettingsStore::fileName("Vexorin").startsWith(f.config.path() + "/Vexorin/"));
}

void tst_Settings::integerConversions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("int16");   // -99999: no value
    QTest::addColumn<qint64>("int32"); // -9999999999: no value
    const int none16 = -99999;
    const qint64 none32 = -9999999999LL;
    QTest::newRow("plain") << "1" << 1 << qint64(1);
    QTest::newRow("blanks around") << " 1 " << 1 << qint64(1);
    QTest::newRow("zero") << "0" << 0 << qint64(0);
    QTest::newRow("negative") << "-1" << -1 << qint64(-1);
    QTest::newRow("half rounds to even down") << "2.5" << 2 << qint64(2);
    QTest::newRow("half rounds to even up") << "1.5" << 2 << qint64(2);
    QTest::newRow("not a number") << "red" << none16 << none32;
    QTest::newRow("empty") << "" << none16 << none32;
    QTest::newRow("number then text") << "12abc" << none16 << none32;
    QTest::newRow("too large for 16 bits") << "70000" << none16 << qint64(70000);
    QTest::newRow("too small for 16 bits") << "-70000" << none16 << qint64(-70000);
    QTest::newRow("smallest 16-bit") << "-32768" << -32768 << qint64(-32768);
    QTest::newRow("too small for 32 bits") << "-2147483649" << none16 << none32;
    QTest::newRow("largest 32-bit") << "2147483647" << none16 << qint64(2147483647);
    QTest::newRow("too large for 32 bits") << "4294967295" << none16 << none32;
    QTest::newRow("infinity") << "inf" << none16 << none32;
    QTest::newRow("nan") << "nan" << none16 << none32;
}

void tst_Settings::integerConversions()
{
    QFETCH(QString, text);
    QFETCH(int, int16);
    QFETCH(qint64, int32);
    const auto a = app::toInt16(text);
    const auto b = app::toInt32(text);
    QCOMPARE(a.has_value(), int16 != -99999);
    if (a)
        QCOMPARE(int(*a), int16);
    QCOMPARE(b.has_value(), int32 != -9999999999LL);
    if (b)
        QCOMPARE(qint64(*b), int32);
}

void tst_Settings::storedColourComesBackTheSame_data()
{
    QTest::addColumn<uint>("colour");
    QTest::newRow("pure red") << 255u;
    QTest::newRow("pure blue") << 0xFF0000u;
    QTest::newRow("mixed") << 0x123456u;
    QTest::newRow("white") << 0xFFFFFFu;
    QTest::newRow("black") << 0u;
}

void tst_Settings::storedColourComesBackTheSame()
{
    QFETCH(uint, colour);
    apptest::Fixture f;
    f.store(Entry::TransparentColour, app::decimal(qint32(colour)));
    host::SettingsStore::reset(); // as a new run
    QCOMPARE(app::readTransparentColour(), std::optional<qint32>(qint32(colour)));
}

void tst_Settings::changedConfigFolderIsNoticed()
{
    apptest::Fixture f;
    f.store(Entry::Image3, "/a.jpg");
    QTemporaryDir other;
    qputenv("XDG_CONFIG_HOME", other.path().toUtf8());
    QCOMPARE(app::readEntry(Entry::Image3), QString());
    qputenv("XDG_CONFIG_HOME", f.config.path().toUtf8());
    QCOMPARE(app::readEntry(Entry::Image3), QStringLiteral("/a.jpg"));
}

void tst_Settings::unwritableStoreGivesAReason()
{
    apptest::Fixture f;
    // A file where the store's folder should be: nothing can be created below it.
    QFile blocker(f.config.filePath("blocked"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", f.config.filePath("blocked").toUtf8());
    QString reason;
    QVERIFY(!app::writeEntry(Entry::Startup, "1", &reason));
    QVERIFY(!reason.isEmpty());
}

void tst_Settings::batchWritesTheFileOnceAtTheEnd()
{
    apptest::Fixture f;
    f.store(Entry::Startup, "0");
    const QString file = host::SettingsStore::fileName("Vexorin");
    {
        host::SettingsStore::Batch batch("Vexorin");
        f.store(Entry::Startup, "1");
        f.store(Entry::Image0, "/x.jpg");
        QCOMPARE(app::readEntry(Entry::Startup), QStringLiteral("1"));
        QFile onDisk(file);
        QVERIFY(onDisk.open(QIODevice::ReadOnly));
        QVERIFY(!onDisk.readAll().contains("x.jpg"));
        QVERIFY(batch.commit());
    }
    QSettings raw(file, QSettings::IniFormat);
    QCOMPARE(raw.value("Startup/Value").toString(), QStringLiteral("1"));
    QCOMPARE(raw.value("Image/ 0").toString(), QStringLiteral("/x.jpg"));

    // A batch into a store that cannot be written fails at its commit, with a reason.
    QFile blocker(f.config.filePath("blocked"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", f.config.filePath("blocked").toUtf8());
    host::SettingsStore::Batch failing("Vexorin");
    QVERIFY(app::writeEntry(Entry::Startup, "1"));
    QString reason;
    QVERIFY(!failing.commit(&reason));
    QVERIFY(!reason.isEmpty());
}

void tst_Settings::programFolderIsTheExecutablesOnlyWhenWritable_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("dataHome");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("portable");
    QTest::newRow("build tree") << true << "/home/u/.local/share" << "/src/build" << true;
    QTest::newRow("installed") << false << "/home/u/.local/share" << "/home/u/.local/share/Vexorin" << false;
    QTest::newRow("installed, data home of its own") << false << "/data/u/" << "/data/u/Vexorin" << false;
    QTest::newRow("installed, no data home known") << false << "" << "/src/build" << true;
}

void tst_Settings::programFolderIsTheExecutablesOnlyWhenWritable()
{
    QFETCH(bool, writable);
    QFETCH(QString, dataHome);
    QFETCH(QString, folder);
    QFETCH(bool, portable);
    const host::FolderChoice choice = host::chooseProgramFolder(QStringLiteral("/src/build"), writable, dataHome);
    QCOMPARE(choice.programFolder, folder);
    QCOMPARE(choice.portable, portable);
}

void tst_Settings::ownFolderIsOneNoOneElseMayWrite_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("otherOwner");
    QTest::addColumn<bool>("own");
    QTest::newRow("closed to others") << 0700 << false << true;
    QTest::newRow("others may read") << 0755 << false << true;
    QTest::newRow("the group may write") << 0775 << false << false;
    QTest::newRow("all may write") << 0777 << false << false;
    QTest::newRow("shared and sticky") << 01777 << false << false;
    QTest::newRow("another user's") << 0755 << true << false;
}

void tst_Settings::ownFolderIsOneNoOneElseMayWrite()
{
    QFETCH(int, mode);
    QFETCH(bool, otherOwner);
    QFETCH(bool, own);
    if (otherOwner && ::geteuid() != 0)
        QSKIP("acting as another user needs root");
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.path());
    QVERIFY(::chmod(name.constData(), mode_t(mode)) == 0);
    if (otherOwner)
        QVERIFY(::chown(name.constData(), 65534, 65534) == 0);
    QCOMPARE(host::isOwnFolder(dir.path()), own);
    QVERIFY(!host::isOwnFolder(dir.filePath("missing")));
    ::chmod(name.constData(), 0700);
}

void tst_Settings::damagedFileRewrittenWholeIsNoFailure_data()
{
    QTest::addColumn<QByteArray>("junk");
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 131 + 7) & 0xFF);
    QTest::newRow("binary junk") << binary;
    QTest::newRow("unclosed section") << QByteArray("[Startup\nValue=1\n\x01\x02");
}

// A file that cannot be parsed is replaced by a sound one at the next write: that write
// succeeds, and what it stored reads back.
void tst_Settings::damagedFileRewrittenWholeIsNoFailure()
{
    QFETCH(QByteArray, junk);
    apptest::Fixture f;
    QDir(f.config.path()).mkpath("Vexorin");
    QFile file(f.config.filePath("Vexorin/Vexorin.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(junk);
    file.close();
    host::SettingsStore::reset();
    host::SettingsStore::Batch batch("Vexorin");
    QVERIFY(app::writeEntry(Entry::Startup, "1"));
    QVERIFY(app::writeEntry(Entry::Image2, "/p.bmp"));
    QString reason;
    QVERIFY2(batch.commit(&reason), qPrintable(reason));
    host::SettingsStore::reset();
    QCOMPARE(app::readEntry(Entry::Startup), QStringLiteral("1"));
    QCOMPARE(app::readEntry(Entry::Image2), QStringLiteral("/p.bmp"));
    QVERIFY(app::writeEntry(Entry::UseFrame, "1", &reason));
}

void tst_Settings::fileThatIsNoSettingsFileIsSaidAndKept_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("problem"); // how the store's complaint begins; empty: none
    QTest::addColumn<bool>("writable");   // whether the next write succeeds
    QTest::newRow("a file of 1 MB") << "file" << qint64(1024 * 1024) << "" << true;
    QTest::newRow("a file over 1 MB") << "file" << qint64(1024 * 1024 + 1) << "it was larger than 1 MB, and is kept as" << true;
    QTest::newRow("a file of 200 MB") << "file" << qint64(200) * 1024 * 1024 << "it was larger than 1 MB, and is kept as" << true;
    QTest::newRow("a folder") << "folder" << qint64(0) << "it is a folder, not a file" << false;
    QTest::newRow("a pipe") << "pipe" << qint64(0) << "it is not a regular file" << false;
}

// Only a settings file is read: a huge file is moved aside whole (the start neither waits
// for it nor holds it in memory), and a folder or pipe is left alone and named in every
// complaint.
void tst_Settings::fileThatIsNoSettingsFileIsSaidAndKept()
{
    QFETCH(QString, kind);
    QFETCH(qint64, size);
    QFETCH(QString, problem);
    QFETCH(bool, writable);
    apptest::Fixture f;
    QVERIFY(QDir(f.config.path()).mkpath("Vexorin"));
    const QString name = f.config.filePath("Vexorin/Vexorin.ini");
    QCOMPARE(host::SettingsStore::fileName("Vexorin"), name);
    QByteArray head("[Startup]\nValue=1\n");
    if (kind == "file") {
        // A sparse file: the store must not read it to learn its size.
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(head + ';') == head.size() + 1);
        QVERIFY(file.resize(size));
        file.close();
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(name));
    } else {
        QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0600) == 0);
    }
    host::SettingsStore::reset();

    QCOMPARE(app::readStartup(), std::optional<qint16>(problem.isEmpty() ? 1 : 0));
    const QString said = host::SettingsStore::openingProblem("Vexorin");
    QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.startsWith(problem), qPrintable(said));
    const QString aside = name + ".damaged";
    if (problem.startsWith("it was larger")) {
        QVERIFY(said.contains(QDir::toNativeSeparators(aside)));
        QCOMPARE(QFileInfo(aside).size(), size);
        QFile kept(aside);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.read(head.size()), head);
    } else {
        QVERIFY(!QFileInfo::exists(aside));
    }

    QString reason;
    QCOMPARE(app::writeEntry(Entry::UseFrame, "1", &reason), writable);
    if (!writable)
        QCOMPARE(reason, problem);
    {
        host::SettingsStore::Batch batch("Vexorin");
        QVERIFY(app::writeEntry(Entry::Startup, "1") == writable);
        reason.clear();
        QCOMPARE(batch.commit(&reason), writable);
        QCOMPARE(reason, writable ? QString() : problem);
    }
    // What is at the file's place is still there as it was, or is the new, small file.
    const QFileInfo now(name);
    QCOMPARE(now.isDir(), kind == "folder");
    if (kind == "file")
        QVERIFY(now.size() < 1000);
    if (!problem.isEmpty() && writable) {
        host::SettingsStore::reset();
        QCOMPARE(app::readStartup(), std::optional<qint16>(1));
        QCOMPARE(QFileInfo(aside).size(), size);
    }
}

void tst_Settings::storeIsNamedByItsCaller()
{
    apptest::Fixture f;
    QVERIFY(host::SettingsStore::SaveSetting("Other", "Section", "Key", "x"));
    QCOMPARE(host::SettingsStore::fileName("Other"), f.config.filePath("Other/Other.ini"));
    QVERIFY(QFileInfo::exists(f.config.filePath("Other/Other.ini")));
    QVERIFY(!QFileInfo::exists(host::SettingsStore::fileName("Vexorin")));
    {
        // A batch left without a commit writes the store it was opened for.
        host::SettingsStore::Batch batch("Other");
        QVERIFY(host::SettingsStore::SaveSetting("Other", "Section", "Key", "y"));
    }
    QVERIFY(!QFileInfo::exists(host::SettingsStore::fileName("Vexorin")));
    QSettings raw(host::SettingsStore::fileName("Other"), QSettings::IniFormat);
    QCOMPARE(raw.value("Section/Key").toString(), QStringLiteral("y"));
}

QTEST_MAIN(tst_Settings)
#include "tst_settings.moc"
