#include "accessibility.h"

#include "imagecontrol.h"

#include <QAccessibleWidget>

namespace host {

namespace {

// What both controls share: the press action clicks, when the control is enabled.
template <typename Control>
class ClickableAccessible : public QAccessibleWidget
{
public:
    ClickableAccessible(Control *control, QAccessible::Role role) : QAccessibleWidget(control, role) {}

    QStringList actionNames() const override
    {
        QStringList names;
        if (clickable())
            names << pressAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction()) {
            if (clickable())
                control()->click();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action == pressAction() && control()->focusPolicy() != Qt::NoFocus)
            return {QStringLiteral("Space"), QStringLiteral("Return")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

protected:
    Control *control() const { return static_cast<Control *>(widget()); }
    virtual bool clickable() const { return control()->isEnabled(); }
};

class ImageControlAccessible : public ClickableAccessible<ImageControl>
{
public:
    explicit ImageControlAccessible(ImageControl *control) : ClickableAccessible(control, QAccessible::Button) {}

    QAccessible::Role role() const override
    {
        return control()->isCheckable() ? QAccessible::RadioButton : QAccessible::Button;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (control()->isCheckable()) {
            s.checkable = true;
            s.checked = control()->isChecked();
        }
        return s;
    }
};

class PictureBoxAccessible : public ClickableAccessible<PictureBox>
{
public:
    explicit PictureBoxAccessible(PictureBox *box) : ClickableAccessible(box, QAccessible::Button) {}

    QAccessible::Role role() const override { return takesFocus() ? QAccessible::Button : QAccessible::Graphic; }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const QWidget *parent = control()->parentWidget();
        if (parent && !parent->rect().intersects(control()->geometry())) {
            s.invisible = true;
            s.offscreen = true;
        }
        return s;
    }

protected:
    bool clickable() const override { return takesFocus() && control()->isEnabled(); }

private:
    bool takesFocus() const { return control()->focusPolicy() != Qt::NoFocus; }
};

QAccessibleInterface *controlInterface(const QString &, QObject *object)
{
    if (auto *image = qobject_cast<ImageControl *>(object))
        return new ImageControlAccessible(image);
    if (auto *box = qobject_cast<PictureBox *>(object))
        return new PictureBoxAccessible(box);
    return nullptr;
}

} // namespace

void installAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlInterface);
        return true;
    }();
    (void)installed;
}

} // namespace host
