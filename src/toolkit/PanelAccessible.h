#pragma once

#include <QAccessibleWidget>

class Panel;

// Screen readers see a panel with a click handler ("FECHA") as a push button
// that can be pressed, and any other panel as a grouping.
class PanelAccessible : public QAccessibleWidget
{
public:
    explicit PanelAccessible(Panel* panel);

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    Panel* Control() const;
};
