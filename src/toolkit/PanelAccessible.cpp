#include "PanelAccessible.h"

#include "Panel.h"

PanelAccessible::PanelAccessible(Panel* panel) : QAccessibleWidget(panel, QAccessible::Grouping)
{
}

QAccessible::Role PanelAccessible::role() const
{
    // Asked each time: the click handler is bound after the panel is made.
    return Control()->Clickable() ? QAccessible::Button : QAccessible::Grouping;
}

Panel* PanelAccessible::Control() const
{
    return static_cast<Panel*>(widget());
}

QString PanelAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && !Control()->accessibleName().isEmpty())
        return Control()->accessibleName();
    if (t == QAccessible::Name)
        return Control()->Caption();
    return QAccessibleWidget::text(t);
}

QStringList PanelAccessible::actionNames() const
{
    return Control()->Clickable() ? QStringList{pressAction()} : QStringList{};
}

void PanelAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction() && Control()->Clickable())
        Control()->Click();
}
