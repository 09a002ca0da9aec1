// The program's command line: --help and --version, and Qt's own display options passed on.
#pragma once

#include <QString>
#include <QStringList>

namespace app {

struct CommandLine
{
    enum Action { Run, ShowText, Refuse };
    Action action = Run;
    QString text;   // what to print: the help or version text, or the one-line complaint
    int exitCode = 0;
};

// Reads `arguments` (the program's name first). Nothing is printed and nothing exits here.
CommandLine parseCommandLine(const QStringList &arguments);

} // namespace app
