// Vexorin: six pictures on a spinning cube that floats over the desktop.
#include "form1.h"
#include "glform.h"
#include "hostapp.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    host::choosePlatform(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QApplication::setOrganizationName(QStringLiteral("Vexorin"));
    // The program ends through "&Exit" (button or tray menu) or by closing the picker; the
    // picker is hidden, not closed, while the cube runs.
    QApplication::setQuitOnLastWindowClosed(false);

    Form1 picker;
    picker.Show();
    // Load the GL driver while the user looks at the picker, so the first "Show Cube"
    // does not wait for it.
    QTimer::singleShot(0, [] { host::GlForm::preloadDriver(); });
    return QApplication::exec();
}
