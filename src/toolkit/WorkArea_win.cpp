#include "WorkArea.h"

#include <QScreen>

// Windows tells each monitor's work area itself, and Qt reads it.
QRect WorkAreaOf(QScreen* screen)
{
    return screen ? screen->availableGeometry() : QRect();
}

void WhenWorkAreasChange(QObject*, std::function<void()>)
{
}
