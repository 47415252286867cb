#include "SpeedButton.h"

SpeedButton::SpeedButton(QWidget* parent, const QString& caption)
    : QPushButton(caption, parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick)
            OnClick(this);
    });
}
