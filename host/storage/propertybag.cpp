#include "propertybag.h"

#include <QBuffer>
#include <QByteArray>
#include <QRegularExpression>

namespace host {

namespace {

std::optional<qint64> parseInteger(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qint64 value = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = static_cast<qint64>(t.mid(2).toULongLong(&ok, 16));
    else
        value = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<bool> parseBool(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("-1") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

QString fontText(const QFont &font)
{
    QString text = PropertyBag::quote(font.family()) + u' ' + QString::number(font.pointSizeF());
    if (font.bold())
        text += QLatin1String(" bold");
    if (font.italic())
        text += QLatin1String(" italic");
    if (font.underline())
        text += QLatin1String(" underline");
    if (font.strikeOut())
        text += QLatin1String(" strikeout");
    return text;
}

// The string a quoted value stands for; nothing when the quoting is damaged.
std::optional<QString> unquote(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() < 2 || !t.startsWith(u'"') || !t.endsWith(u'"'))
        return std::nullopt;
    QString out;
    out.reserve(t.size());
    for (qsizetype i = 1; i < t.size() - 1; ++i) {
        QChar c = t[i];
        if (c == u'\\') {
            if (i + 1 >= t.size() - 1)
                return std::nullopt; // a lone backslash before the closing quote
            c = t[++i];
            switch (c.unicode()) {
            case 'n': c = u'\n'; break;
            case 'r': c = u'\r'; break;
            case 't': c = u'\t'; break;
            default: break; // \" and \\ stand for themselves
            }
        } else if (c == u'"') {
            return std::nullopt; // an unescaped quote inside: damaged
        }
        out += c;
    }
    return out;
}

std::optional<QFont> parseFont(const QString &text)
{
    const QString t = text.trimmed();
    // The family is the quoted text up to the first unescaped closing quote.
    if (!t.startsWith(u'"'))
        return std::nullopt;
    int end = 1;
    while (end < t.size() && t[end] != u'"')
        end += (t[end] == u'\\') ? 2 : 1;
    if (end >= t.size())
        return std::nullopt;
    const auto family = unquote(t.left(end + 1));
    if (!family)
        return std::nullopt;
    const QStringList words = t.mid(end + 1).split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double size = words.first().toDouble(&ok);
    // Sizes outside what a font can be are damage, not a font.
    if (!ok || !(size > 0.0 && size <= 1638.0))
        return std::nullopt;
    QFont font(*family);
    font.setPointSizeF(size);
    for (const QString &word : words.mid(1)) {
        const QString w = word.toLower();
        if (w == QLatin1String("bold"))
            font.setBold(true);
        else if (w == QLatin1String("italic"))
            font.setItalic(true);
        else if (w == QLatin1String("underline"))
            font.setUnderline(true);
        else if (w == QLatin1String("strikeout"))
            font.setStrikeOut(true);
        else
            return std::nullopt;
    }
    return font;
}

} // namespace

QString PropertyBag::quote(const QString &value)
{
    QString out;
    out.reserve(value.size() + 2);
    out += u'"';
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default: out += c; break;
        }
    }
    out += u'"';
    return out;
}

const QString *PropertyBag::find(const QString &key) const
{
    for (const auto &item : m_items)
        if (item.first.compare(key, Qt::CaseInsensitive) == 0)
            return &item.second;
    return nullptr;
}

void PropertyBag::put(const QString &key, const QString &text)
{
    for (auto &item : m_items) {
        if (item.first.compare(key, Qt::CaseInsensitive) == 0) {
            item.second = text;
            return;
        }
    }
    m_items.emplace_back(key, text);
}

bool PropertyBag::contains(const QString &key) const
{
    return find(key) != nullptr;
}

QStringList PropertyBag::keys() const
{
    QStringList out;
    for (const auto &item : m_items)
        out << item.first;
    return out;
}

QString PropertyBag::rawValue(const QString &key) const
{
    const QString *value = find(key);
    return value ? *value : QString();
}

void PropertyBag::remove(const QString &key)
{
    std::erase_if(m_items, [&](const auto &item) {
        return item.first.compare(key, Qt::CaseInsensitive) == 0;
    });
}

qint32 PropertyBag::readInt(const QString &key, qint32 defaultValue) const
{
    const QString *text = find(key);
    if (!text)
        return defaultValue;
    const auto value = parseInteger(*text);
    if (!value || *value < -2147483648LL || *value > 4294967295LL)
        return defaultValue;
    return static_cast<qint32>(static_cast<quint32>(*value));
}

bool PropertyBag::readBool(const QString &key, bool defaultValue) const
{
    const QString *text = find(key);
    if (!text)
        return defaultValue;
    return parseBool(*text).value_or(defaultValue);
}

QString PropertyBag::readString(const QString &key, const QString &defaultValue) const
{
    const QString *text = find(key);
    if (!text)
        return defaultValue;
    // A hand-written value without quotes is taken as it stands.
    if (!text->trimmed().startsWith(u'"'))
        return text->trimmed();
    return unquote(*text).value_or(defaultValue);
}

QFont PropertyBag::readFont(const QString &key, const QFont &defaultValue) const
{
    const QString *text = find(key);
    if (!text)
        return defaultValue;
    return parseFont(*text).value_or(defaultValue);
}

QPixmap PropertyBag::readPicture(const QString &key, const QPixmap &defaultValue) const
{
    const QString *text = find(key);
    if (!text)
        return defaultValue;
    const QString t = text->trimmed();
    if (t.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
        return QPixmap();
    if (!t.startsWith(QLatin1String("png:"), Qt::CaseInsensitive))
        return defaultValue;
    const auto decoded = QByteArray::fromBase64Encoding(t.mid(4).toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    QPixmap picture;
    if (!decoded || !picture.loadFromData(*decoded, "PNG"))
        return defaultValue;
    return picture;
}

void PropertyBag::writeInt(const QString &key, qint32 value, std::optional<qint32> defaultValue)
{
    if (defaultValue && *defaultValue == value)
        remove(key);
    else
        put(key, QString::number(value));
}

void PropertyBag::writeBool(const QString &key, bool value, std::optional<bool> defaultValue)
{
    if (defaultValue && *defaultValue == value)
        remove(key);
    else
        put(key, value ? QStringLiteral("True") : QStringLiteral("False"));
}

void PropertyBag::writeString(const QString &key, const QString &value,
                              std::optional<QString> defaultValue)
{
    if (defaultValue && *defaultValue == value)
        remove(key);
    else
        put(key, quote(value));
}

void PropertyBag::writeFont(const QString &key, const QFont &value)
{
    put(key, fontText(value));
}

void PropertyBag::writePicture(const QString &key, const QPixmap &value)
{
    if (value.isNull()) {
        put(key, QStringLiteral("none"));
        return;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    value.save(&buffer, "PNG");
    put(key, QLatin1String("png:") + QString::fromLatin1(png.toBase64()));
}

QString PropertyBag::toText() const
{
    QString out;
    for (const auto &item : m_items)
        out += item.first + QLatin1String(" = ") + item.second + u'\n';
    return out;
}

PropertyBag PropertyBag::fromText(const QString &text)
{
    PropertyBag bag;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString &line : lines) {
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(u'#'))
            continue;
        const qsizetype eq = t.indexOf(u'=');
        if (eq <= 0)
            continue; // no key: a damaged line
        const QString key = t.left(eq).trimmed();
        if (key.isEmpty())
            continue;
        bag.put(key, t.mid(eq + 1).trimmed());
    }
    return bag;
}

} // namespace host
