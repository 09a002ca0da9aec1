#include "form1_design.h"

#include "propertybag.h"
#include "stylebutton.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>

// Outside any namespace: the resource's init function lives in the global one.
static void initDesignResource()
{
    // The description is compiled into this static library; its resource must be
    // registered by hand before the first look-up.
    static const bool registered = [] {
        Q_INIT_RESOURCE(form1_design);
        return true;
    }();
    (void)registered;
}

namespace {

// Splits a form description into its controls' property sets: each "[name]" line starts
// the set of the control of that name; lines before the first section are ignored.
QMap<QString, host::PropertyBag> parseFormDesign(const QString &text)
{
    QMap<QString, host::PropertyBag> sets;
    QString current;
    QString body;
    bool inSection = false;
    const auto flush = [&] {
        if (inSection)
            sets.insert(current, host::PropertyBag::fromText(body));
        body.clear();
    };
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString t = line.trimmed();
        if (t.startsWith(u'[') && t.endsWith(u']') && t.size() > 2) {
            flush();
            current = t.mid(1, t.size() - 2).trimmed();
            inSection = true;
            continue;
        }
        body += line + u'\n';
    }
    flush();
    return sets;
}

// The property sets of Form1's design, read once.
const QMap<QString, host::PropertyBag> &formDesign()
{
    static const QMap<QString, host::PropertyBag> design = [] {
        initDesignResource();
        QFile file(QStringLiteral(":/design/form1_design.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return QMap<QString, host::PropertyBag>();
        return parseFormDesign(QString::fromUtf8(file.readAll()));
    }();
    return design;
}

} // namespace

void loadDesignProperties(StyleButton &button, const QString &controlName)
{
    button.setObjectName(controlName);
    button.UserControl_ReadProperties(formDesign().value(controlName));
}
