// A control's persisted property set: keys with typed values, kept by the host window in
// its design. Reading takes a default for an absent key; writing takes an optional default
// and leaves out a value equal to it, so a set holds only what differs.
//
// The set is stored as readable text, one "Key = value" line per property in the order
// written:
//     Style = 7
//     Caption = "&Exit"
//     USeCustomColors = False
//     Font = "Verdana" 9.75 bold
//     Icon = none
// Strings are quoted with C-style escapes (\" \\ \n \r \t); pictures are "none" or "png:"
// and the base64 of a PNG. Lines that are blank or start with '#' are skipped. A damaged
// or partial set loads what it can: a line without '=' is skipped, a value that does not
// read as the type asked for gives the default, and a key given twice keeps the last.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace host {

class PropertyBag
{
public:
    // Keys are matched without regard to case, as the host always has; they are stored as
    // spelled by the writer.
    bool contains(const QString &key) const;
    QStringList keys() const;
    // The stored text of a value, empty when the key is absent.
    QString rawValue(const QString &key) const;
    void remove(const QString &key);
    bool isEmpty() const { return m_items.empty(); }

    // 32-bit integers: decimal, or 0x hexadecimal; values 2^31..2^32-1 wrap to their
    // signed 32-bit pattern (colours written unsigned read back bit for bit).
    qint32 readInt(const QString &key, qint32 defaultValue) const;
    bool readBool(const QString &key, bool defaultValue) const;
    QString readString(const QString &key, const QString &defaultValue) const;
    QFont readFont(const QString &key, const QFont &defaultValue) const;
    QPixmap readPicture(const QString &key, const QPixmap &defaultValue = QPixmap()) const;

    void writeInt(const QString &key, qint32 value, std::optional<qint32> defaultValue = std::nullopt);
    void writeBool(const QString &key, bool value, std::optional<bool> defaultValue = std::nullopt);
    void writeString(const QString &key, const QString &value,
                     std::optional<QString> defaultValue = std::nullopt);
    void writeFont(const QString &key, const QFont &value);
    void writePicture(const QString &key, const QPixmap &value);

    QString toText() const;
    static PropertyBag fromText(const QString &text);

    // A string value as the set stores it: quoted, with C-style escapes.
    static QString quote(const QString &value);

private:
    void put(const QString &key, const QString &text);
    const QString *find(const QString &key) const;

    std::vector<std::pair<QString, QString>> m_items; // key, value text; in written order
};

} // namespace host
