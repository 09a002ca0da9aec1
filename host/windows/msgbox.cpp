#include "msgbox.h"

#include <QApplication>
#include <QMessageBox>

namespace host {

namespace {
MsgBoxHandler &handler()
{
    static MsgBoxHandler h;
    return h;
}
} // namespace

MsgBoxHandler setMsgBoxHandler(MsgBoxHandler h)
{
    MsgBoxHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}

void MsgBox(const QString &text)
{
    if (handler()) {
        handler()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vexorin"), text, QMessageBox::Ok);
    box.exec();
}

} // namespace host
