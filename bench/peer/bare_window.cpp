// The peer of bench_startup: a bare Qt widget program that shows one window of the
// picker's size and nothing else, linked with Qt Widgets only.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(428, 529);
    window.show();
    return QApplication::exec();
}
