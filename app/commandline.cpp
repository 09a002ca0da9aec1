#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace app {

namespace {
// The window-system options QApplication takes for itself; they are read here only so that
// they are not refused, and QApplication still sees them.
struct QtOption
{
    const char *name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"display", true}, {"geometry", true}, {"qwindowgeometry", true}, {"qwindowtitle", true},
    {"qwindowicon", true}, {"style", true}, {"stylesheet", true}, {"session", true},
    {"reverse", false}, {"widgetcount", false}, {"nograb", false}, {"dograb", false}, {"sync", false},
};
} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    const QString name = QStringLiteral("vexorin");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Six pictures on a spinning cube over the desktop."));
    // Qt's own options are single-dash words ("-platform xcb").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the program's name and version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    for (const QtOption &o : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(o.name));
        if (o.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    CommandLine result;
    const auto refuse = [&](QString why) {
        while (why.endsWith(QLatin1Char('.')))
            why.chop(1);
        result.action = CommandLine::Refuse;
        result.text = QStringLiteral("%1: %2; try \"%1 --help\"").arg(name, why);
        result.exitCode = 2;
        return result;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText().section(QLatin1Char('\n'), 0, 0));
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(help)) {
        result.action = CommandLine::ShowText;
        // The parser names the program by the path it was started with (or not at all before
        // the application object exists); the help names it by its command.
        result.text = parser.helpText();
        result.text.replace(0, result.text.indexOf(QLatin1Char('\n')), QStringLiteral("Usage: %1 [options]").arg(name));
    } else if (parser.isSet(version)) {
        result.action = CommandLine::ShowText;
        result.text = QStringLiteral("Vexorin %1\n").arg(QStringLiteral(VEXORIN_VERSION));
    }
    return result;
}

} // namespace app
