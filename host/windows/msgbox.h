// The modal message box: one OK button, caption "Vexorin". Tests replace the box with a
// handler that records the text, since a modal box would block a test run.
#pragma once

#include <QString>
#include <functional>

namespace host {

void MsgBox(const QString &text);

using MsgBoxHandler = std::function<void(const QString &text)>;
// Installs a replacement for the modal box; returns the previous one (empty = the real box).
MsgBoxHandler setMsgBoxHandler(MsgBoxHandler handler);

} // namespace host
