// Vexorin: six pictures on a spinning cube that floats over the desktop.
#include "form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QApplication::setOrganizationName(QStringLiteral("Vexorin"));
    // The program ends through "&Exit" (button or tray menu) or by closing the picker; the
    // picker is hidden, not closed, while the cube runs.
    QApplication::setQuitOnLastWindowClosed(false);

    Form1 picker;
    picker.Show();
    return QApplication::exec();
}
