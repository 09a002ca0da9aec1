// What a host window gives a control it hosts: property-changed notices, the ambient
// user-mode flag and the extender values "Name" and "ToolTipText".
//
// The extender values are the control widget's own: "Name" is its objectName and
// "ToolTipText" is the plain tooltip text Qt would show for it (QWidget::toolTip).
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace host {

class ControlHost : public QObject
{
    Q_OBJECT

public:
    // The host belongs to the control it serves (Qt parent).
    explicit ControlHost(QWidget *control);

    // Tells the host that the property `name` changed (its design needs saving again).
    void PropertyChanged(const QString &name);

    QString extenderName() const;
    QString extenderToolTipText() const;
    void setExtenderToolTipText(const QString &text);

    // Ambient user mode: true when the program runs, false in a designer. Controls take
    // the process-wide value when they are made; tests and tools switch it to design mode.
    static bool ambientUserMode();
    // Returns the mode it replaces.
    static bool setAmbientUserMode(bool userMode);

signals:
    void propertyChanged(const QString &name);

private:
    QWidget *m_control;
};

} // namespace host
