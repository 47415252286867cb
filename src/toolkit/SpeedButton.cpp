#include "SpeedButton.h"

#include "AccessibleFactory.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>

namespace {

// A screen reader's view of the button: a push button, or a check box
// carrying the state of the box it switches.
class SpeedButtonAccessible : public QAccessibleWidget
{
public:
    explicit SpeedButtonAccessible(SpeedButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QAccessible::Role role() const override
    {
        // Asked each time: the state box may be given after the button is made.
        return Control()->StateBox() ? QAccessible::CheckBox : QAccessible::Button;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (QAbstractButton* box = Control()->StateBox()) {
            s.checkable = true;
            s.checked = box->isChecked();
        } else {
            s.pressed = Control()->isDown();
        }
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return Control()->text();
        return own;
    }

    QStringList actionNames() const override
    {
        return Control()->StateBox() ? QStringList{toggleAction()} : QStringList{pressAction()};
    }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction() || actionName == toggleAction()) {
            Control()->click();
            Control()->AnnounceState();
        }
    }

private:
    SpeedButton* Control() const { return static_cast<SpeedButton*>(widget()); }
};

} // namespace

SpeedButton::SpeedButton(QWidget* parent, const QString& caption) : QPushButton(caption, parent)
{
    InstallAccessible<SpeedButton, SpeedButtonAccessible>();
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
}

void SpeedButton::ShowsStateOf(QAbstractButton* box)
{
    if (stateBox_)
        disconnect(stateBox_, nullptr, this, nullptr);
    stateBox_ = box;
    if (!box)
        return;
    connect(box, &QAbstractButton::toggled, this, [this] {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    });
}

void SpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool pressed = isDown();
    QPushButton::mouseReleaseEvent(event); // a click runs its handlers here
    if (pressed && stateBox_ && rect().contains(event->position().toPoint()))
        AnnounceState();
}

void SpeedButton::AnnounceState()
{
    if (!stateBox_)
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}
