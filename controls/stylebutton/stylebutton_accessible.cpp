// StyleButton as screen readers see it: a push button named by its caption (the '&' that
// underlines a letter is not read), described by its tooltip, with a press action that
// clicks it, its focus and, for a toggle, whether it is on.
#include "stylebutton.h"

#include <QAccessibleWidget>
#include <QKeySequence>

namespace {

// The caption as it is read: "&Exit" is "Exit", "&&" stands for one '&'.
QString readCaption(const QString &caption)
{
    QString read;
    read.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (++i == caption.size())
                break;
        }
        read += caption[i];
    }
    return read;
}

} // namespace

class StyleButtonAccessible : public QAccessibleWidget
{
public:
    explicit StyleButtonAccessible(StyleButton *button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        const StyleButton *b = button();
        switch (t) {
        case QAccessible::Name:
            return b->accessibleName().isEmpty() ? readCaption(b->Caption()) : b->accessibleName();
        case QAccessible::Description:
            // The control shows its own tooltip; before it is first shown the text may
            // still be the host's.
            if (!b->accessibleDescription().isEmpty())
                return b->accessibleDescription();
            return b->ToolTip().isEmpty() ? b->toolTip() : b->ToolTip();
        case QAccessible::Accelerator:
            return QKeySequence::mnemonic(b->Caption()).toString(QKeySequence::NativeText);
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const StyleButton *b = button();
        if (b->ButtonType() == StyleButton::Toggle) {
            s.checkable = true;
            s.checked = b->Value();
        } else {
            s.pressed = b->buttonState() == StyleButton::Pressed;
        }
        s.hotTracked = b->buttonState() == StyleButton::Hot;
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (button()->isEnabled()) {
            names << pressAction();
            if (button()->ButtonType() == StyleButton::Toggle)
                names << toggleAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        StyleButton *b = button();
        if ((action == pressAction() || action == toggleAction()) && b->isEnabled())
            b->clickAction();
        else
            QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action == pressAction() || action == toggleAction()) {
            QStringList keys{QStringLiteral("Space"), QStringLiteral("Return")};
            const QKeySequence letter = QKeySequence::mnemonic(button()->Caption());
            if (!letter.isEmpty())
                keys << letter.toString(QKeySequence::NativeText);
            return keys;
        }
        return QAccessibleWidget::keyBindingsForAction(action);
    }

private:
    StyleButton *button() const { return static_cast<StyleButton *>(widget()); }
};

void StyleButton::installAccessibleInterface()
{
    static const bool installed = [] {
        QAccessible::installFactory([](const QString &, QObject *object) -> QAccessibleInterface * {
            // Asked with each class name up the object's chain: any StyleButton, of a class
            // derived from it too, answers at the first.
            auto *button = qobject_cast<StyleButton *>(object);
            return button && object->isWidgetType() ? new StyleButtonAccessible(button) : nullptr;
        });
        return true;
    }();
    (void)installed;
}

void StyleButton::announce(QAccessible::Event what)
{
    QAccessibleEvent event(this, what);
    QAccessible::updateAccessibility(&event);
}

void StyleButton::announceCheckedChanged(bool checkableToo)
{
    QAccessible::State changed;
    changed.checked = true;
    changed.checkable = checkableToo;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}
