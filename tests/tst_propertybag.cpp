// The persisted property set: typed values through its text form, defaults on reading,
// defaults left out on writing, and damaged or partial sets; and the binary file the
// texture readers read through.
#include "binaryfile.h"
#include "propertybag.h"
#include "storage_state.h"

#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using host::PropertyBag;

class TestPropertyBag : public QObject
{
    Q_OBJECT

private slots:
    void init() { host::resetStorageState(); }

    void intRoundTrip_data();
    void intRoundTrip();
    void stringRoundTrip_data();
    void stringRoundTrip();
    void fontRoundTrip();
    void pictureRoundTrip();
    void valueEqualToWriteDefaultIsLeftOut_data();
    void valueEqualToWriteDefaultIsLeftOut();
    void absentKeyGivesReadDefault();
    void keysMatchWithoutCaseKeepingTheirSpelling();
    void damagedValuesGiveTheirDefaults_data();
    void damagedValuesGiveTheirDefaults();
    void damagedLinesAreSkipped();
    void handWrittenValuesAreRead_data();
    void handWrittenValuesAreRead();
    void boolEqualToWriteDefaultIsLeftOut_data();
    void boolEqualToWriteDefaultIsLeftOut();
    void binaryFileReadsZerosPastItsEnds_data();
    void binaryFileReadsZerosPastItsEnds();
    void randomBytesNeverCrash();
};

void TestPropertyBag::intRoundTrip_data()
{
    QTest::addColumn<qint32>("value");
    QTest::newRow("zero") << qint32(0);
    QTest::newRow("negative") << qint32(-32768);
    QTest::newRow("int min") << std::numeric_limits<qint32>::min();
    QTest::newRow("int max") << std::numeric_limits<qint32>::max();
    QTest::newRow("system colour reference") << qint32(0x80000012u);
    QTest::newRow("blue") << qint32(16711680);
}

void TestPropertyBag::intRoundTrip()
{
    QFETCH(qint32, value);
    PropertyBag bag;
    bag.writeInt(QStringLiteral("K"), value);
    const PropertyBag back = PropertyBag::fromText(bag.toText());
    QCOMPARE(back.readInt(QStringLiteral("K"), 12345), value);
}

void TestPropertyBag::stringRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("mnemonic") << QStringLiteral("&Exit");
    QTest::newRow("quotes and backslashes") << QStringLiteral("say \"hi\" \\ \\\" end\\");
    QTest::newRow("line breaks and tabs") << QStringLiteral("one\ntwo\r\nthree\tfour");
    QTest::newRow("surrounding blanks") << QStringLiteral("  padded  ");
    QTest::newRow("equals and hash") << QStringLiteral("a = b # c");
    QTest::newRow("non-ASCII") << QStringLiteral("Würfel → 立方体");
}

void TestPropertyBag::stringRoundTrip()
{
    QFETCH(QString, value);
    PropertyBag bag;
    bag.writeString(QStringLiteral("Caption"), value);
    const PropertyBag back = PropertyBag::fromText(bag.toText());
    QCOMPARE(back.readString(QStringLiteral("Caption"), QStringLiteral("default")), value);
}

void TestPropertyBag::fontRoundTrip()
{
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(9.75);
    font.setBold(true);
    font.setUnderline(true);
    PropertyBag bag;
    bag.writeFont(QStringLiteral("Font"), font);
    QCOMPARE(bag.rawValue(QStringLiteral("Font")), QStringLiteral("\"Verdana\" 9.75 bold underline"));
    const QFont back = PropertyBag::fromText(bag.toText()).readFont(QStringLiteral("Font"), QFont());
    QCOMPARE(back.family(), QStringLiteral("Verdana"));
    QCOMPARE(back.pointSizeF(), 9.75);
    QVERIFY(back.bold());
    QVERIFY(back.underline());
    QVERIFY(!back.italic());
}

void TestPropertyBag::pictureRoundTrip()
{
    QImage image(5, 3, QImage::Format_ARGB32);
    image.fill(QColor(10, 200, 30));
    image.setPixelColor(4, 2, QColor(255, 0, 0));
    PropertyBag bag;
    bag.writePicture(QStringLiteral("Icon"), QPixmap::fromImage(image));
    bag.writePicture(QStringLiteral("None"), QPixmap());
    const PropertyBag back = PropertyBag::fromText(bag.toText());
    const QImage read = back.readPicture(QStringLiteral("Icon")).toImage();
    QCOMPARE(read.size(), QSize(5, 3));
    QCOMPARE(read.pixelColor(4, 2), QColor(255, 0, 0));
    QCOMPARE(read.pixelColor(0, 0), QColor(10, 200, 30));
    QVERIFY(back.contains(QStringLiteral("None")));
    QVERIFY(back.readPicture(QStringLiteral("None"), QPixmap::fromImage(image)).isNull());
}

void TestPropertyBag::valueEqualToWriteDefaultIsLeftOut_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<bool>("hasDefault");
    QTest::addColumn<qint32>("writeDefault");
    QTest::addColumn<bool>("stored");
    QTest::newRow("equal to default") << 3 << true << 3 << false;
    QTest::newRow("differs from default") << 7 << true << 3 << true;
    QTest::newRow("no default, zero") << 0 << false << 0 << true;
    QTest::newRow("no default, other") << 5 << false << 0 << true;
}

void TestPropertyBag::valueEqualToWriteDefaultIsLeftOut()
{
    QFETCH(qint32, value);
    QFETCH(bool, hasDefault);
    QFETCH(qint32, writeDefault);
    QFETCH(bool, stored);
    PropertyBag bag;
    bag.writeInt(QStringLiteral("Style"), 99); // an earlier save's value must not linger
    if (hasDefault)
        bag.writeInt(QStringLiteral("Style"), value, writeDefault);
    else
        bag.writeInt(QStringLiteral("Style"), value);
    QCOMPARE(bag.contains(QStringLiteral("Style")), stored);
    const PropertyBag back = PropertyBag::fromText(bag.toText());
    QCOMPARE(back.readInt(QStringLiteral("Style"), writeDefault), value);
}

void TestPropertyBag::absentKeyGivesReadDefault()
{
    const PropertyBag bag;
    QCOMPARE(bag.readInt(QStringLiteral("Style"), 3), 3);
    QCOMPARE(bag.readBool(QStringLiteral("Enabled"), true), true);
    QCOMPARE(bag.readString(QStringLiteral("Caption"), QStringLiteral("StyleButton")),
             QStringLiteral("StyleButton"));
    QVERIFY(bag.readPicture(QStringLiteral("Icon")).isNull());
}

void TestPropertyBag::keysMatchWithoutCaseKeepingTheirSpelling()
{
    PropertyBag bag;
    bag.writeString(QStringLiteral("Tooltiptitle"), QStringLiteral("t"));
    bag.writeBool(QStringLiteral("USeCustomColors"), true);
    QCOMPARE(bag.keys(), (QStringList{QStringLiteral("Tooltiptitle"), QStringLiteral("USeCustomColors")}));
    QCOMPARE(bag.readString(QStringLiteral("ToolTipTitle"), QString()), QStringLiteral("t"));
    QVERIFY(bag.toText().contains(QStringLiteral("USeCustomColors = True")));
}

void TestPropertyBag::damagedValuesGiveTheirDefaults_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("word for a number") << QStringLiteral("Style = seven");
    QTest::newRow("number too large") << QStringLiteral("Style = 99999999999");
    QTest::newRow("empty value") << QStringLiteral("Style =");
    QTest::newRow("hex garbage") << QStringLiteral("Style = 0xZZ");
    QTest::newRow("bool word") << QStringLiteral("Enabled = maybe");
    QTest::newRow("open quote") << QStringLiteral("Caption = \"unterminated");
    QTest::newRow("quote inside") << QStringLiteral("Caption = \"a\"b\"");
    QTest::newRow("font without size") << QStringLiteral("Font = \"Verdana\"");
    QTest::newRow("font huge size") << QStringLiteral("Font = \"Verdana\" 1e300");
    QTest::newRow("font size zero") << QStringLiteral("Font = \"Verdana\" 0");
    QTest::newRow("backslash before the closing quote") << QStringLiteral("Caption = \"abc\\\"");
    QTest::newRow("number past 32 bits") << QStringLiteral("Style = 4294967296");
    QTest::newRow("font unknown word") << QStringLiteral("Font = \"Verdana\" 9 wobbly");
    QTest::newRow("picture not base64") << QStringLiteral("Icon = png:!!!");
    QTest::newRow("picture not png") << QStringLiteral("Icon = png:aGVsbG8=");
    QTest::newRow("picture other scheme") << QStringLiteral("Icon = bmp:AAAA");
}

void TestPropertyBag::damagedValuesGiveTheirDefaults()
{
    QFETCH(QString, line);
    QImage marker(2, 2, QImage::Format_RGB32);
    marker.fill(Qt::blue);
    const QPixmap defaultPicture = QPixmap::fromImage(marker);
    QFont defaultFont(QStringLiteral("Sans"));
    defaultFont.setPointSize(8);

    const PropertyBag bag = PropertyBag::fromText(line + QStringLiteral("\nButtonType = 1\n"));
    QCOMPARE(bag.readInt(QStringLiteral("Style"), 3), 3);
    QCOMPARE(bag.readBool(QStringLiteral("Enabled"), true), true);
    QCOMPARE(bag.readString(QStringLiteral("Caption"), QStringLiteral("StyleButton")),
             QStringLiteral("StyleButton"));
    QCOMPARE(bag.readFont(QStringLiteral("Font"), defaultFont), defaultFont);
    QCOMPARE(bag.readPicture(QStringLiteral("Icon"), defaultPicture).size(), QSize(2, 2));
    // The rest of the set still loads.
    QCOMPARE(bag.readInt(QStringLiteral("ButtonType"), 0), 1);
}

void TestPropertyBag::damagedLinesAreSkipped()
{
    const QString text = QStringLiteral("# a comment\n"
                                        "garbage without equals\n"
                                        "= no key\n"
                                        "Style = 7\r\n"
                                        "\n"
                                        "   Caption   =   \"Go\"   \r"
                                        "Style = 9\n"          // a repeated key: the last counts
                                        "IconSize = 24");       // no final line break
    const PropertyBag bag = PropertyBag::fromText(text);
    QCOMPARE(bag.keys(), (QStringList{QStringLiteral("Style"), QStringLiteral("Caption"),
                                      QStringLiteral("IconSize")}));
    QCOMPARE(bag.readInt(QStringLiteral("Style"), 3), 9);
    QCOMPARE(bag.readString(QStringLiteral("Caption"), QString()), QStringLiteral("Go"));
    QCOMPARE(bag.readInt(QStringLiteral("IconSize"), 16), 24);
}

void TestPropertyBag::handWrittenValuesAreRead_data()
{
    // Spellings a set written by hand, or by an older copy, may hold.
    QTest::addColumn<QString>("line");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("true as -1") << QStringLiteral("Enabled = -1") << QVariant(true);
    QTest::newRow("true as 1") << QStringLiteral("Enabled = 1") << QVariant(true);
    QTest::newRow("true as a word") << QStringLiteral("Enabled = TRUE") << QVariant(true);
    QTest::newRow("false as 0") << QStringLiteral("Enabled = 0") << QVariant(false);
    QTest::newRow("colour spelt unsigned") << QStringLiteral("Style = 2147483666") << QVariant(qint32(0x80000012u));
    QTest::newRow("all bits spelt unsigned") << QStringLiteral("Style = 4294967295") << QVariant(qint32(-1));
    QTest::newRow("lowest") << QStringLiteral("Style = -2147483648") << QVariant(std::numeric_limits<qint32>::min());
    QTest::newRow("text without quotes") << QStringLiteral("Caption =  plain words ") << QVariant(QStringLiteral("plain words"));
    QTest::newRow("quoted escapes") << QStringLiteral("Caption = \"a\\tb\\\\\"") << QVariant(QStringLiteral("a\tb\\"));
}

void TestPropertyBag::handWrittenValuesAreRead()
{
    QFETCH(QString, line);
    QFETCH(QVariant, value);
    const PropertyBag bag = PropertyBag::fromText(line);
    switch (value.typeId()) {
    case QMetaType::Bool:
        // Either default: the value is read, not defaulted.
        QCOMPARE(bag.readBool(QStringLiteral("Enabled"), !value.toBool()), value.toBool());
        break;
    case QMetaType::Int:
        QCOMPARE(bag.readInt(QStringLiteral("Style"), 12345), value.toInt());
        break;
    default:
        QCOMPARE(bag.readString(QStringLiteral("Caption"), QStringLiteral("default")), value.toString());
        break;
    }
}

void TestPropertyBag::boolEqualToWriteDefaultIsLeftOut_data()
{
    QTest::addColumn<bool>("value");
    QTest::addColumn<bool>("writeDefault");
    QTest::newRow("true, default true") << true << true;
    QTest::newRow("true, default false") << true << false;
    QTest::newRow("false, default true") << false << true;
    QTest::newRow("false, default false") << false << false;
}

void TestPropertyBag::boolEqualToWriteDefaultIsLeftOut()
{
    QFETCH(bool, value);
    QFETCH(bool, writeDefault);
    PropertyBag bag;
    bag.writeBool(QStringLiteral("Enabled"), !value); // an earlier save's value must not linger
    bag.writeBool(QStringLiteral("Enabled"), value, writeDefault);
    QCOMPARE(bag.contains(QStringLiteral("Enabled")), value != writeDefault);
    const PropertyBag back = PropertyBag::fromText(bag.toText());
    QCOMPARE(back.readBool(QStringLiteral("Enabled"), writeDefault), value);
}

void TestPropertyBag::binaryFileReadsZerosPastItsEnds_data()
{
    // The file holds the bytes 1 ... 8.
    QTest::addColumn<qint64>("seek");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("read");
    QTest::newRow("from the start") << qint64(0) << 3 << QByteArray("\1\2\3");
    QTest::newRow("inside") << qint64(5) << 3 << QByteArray("\6\7\10");
    QTest::newRow("over the end") << qint64(6) << 4 << QByteArray("\7\10\0\0", 4);
    QTest::newRow("past the end") << qint64(20) << 2 << QByteArray(2, '\0');
    QTest::newRow("before the start counts as the start") << qint64(-4) << 2 << QByteArray("\1\2");
}

void TestPropertyBag::binaryFileReadsZerosPastItsEnds()
{
    QFETCH(qint64, seek);
    QFETCH(int, count);
    QFETCH(QByteArray, read);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eight.bin"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\1\2\3\4\5\6\7\10", 8);
    }
    host::BinaryFile file(path);
    QVERIFY(file.isOpen());
    file.seek(seek);
    QByteArray got(count, 'x');
    file.readInto(got.data(), count);
    QCOMPARE(got, read);
    // Reads go on from where the last one ended.
    char next = 'x';
    file.readInto(&next, 1);
    const qint64 after = std::max<qint64>(seek, 0) + count;
    QCOMPARE(int(next), after < 8 ? int(after + 1) : 0);
}

void TestPropertyBag::randomBytesNeverCrash()
{
    QRandomGenerator random(1234);
    const QStringList keys{QStringLiteral("Style"), QStringLiteral("Caption"), QStringLiteral("Font"),
                           QStringLiteral("Icon"), QStringLiteral("Enabled")};
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(static_cast<qsizetype>(random.bounded(400)), '\0');
        for (char &b : bytes)
            b = static_cast<char>(random.bounded(256));
        // Mix in the characters the format gives meaning to.
        for (int i = 0; i < bytes.size(); i += 7)
            bytes[i] = "=\"\\\n #p"[random.bounded(7)];
        const PropertyBag bag = PropertyBag::fromText(QString::fromUtf8(bytes));
        for (const QString &key : keys) {
            bag.readInt(key, 0);
            bag.readBool(key, false);
            bag.readString(key, QString());
            bag.readFont(key, QFont());
            bag.readPicture(key);
        }
        // Whatever loaded writes out and loads back the same.
        QCOMPARE(PropertyBag::fromText(bag.toText()).toText(), bag.toText());
    }
}

QTEST_MAIN(TestPropertyBag)
#include "tst_propertybag.moc"
