#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>

// Makes screen readers meet every widget of class `Widget` (subclasses
// included, unless they have their own) through `Interface`. Registered with
// Qt once, however often it is called.
template <typename Widget, typename Interface>
void InstallAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
            if (className == QLatin1String(Widget::staticMetaObject.className()) && object && object->isWidgetType())
                return new Interface(static_cast<Widget*>(object));
            return nullptr;
        });
        return true;
    }();
    (void)installed;
}
