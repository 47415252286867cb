#pragma once

#include <QRect>

#include <functional>
#include <vector>

class QObject;

class QScreen;

// Space a dock or panel reserves along the edges of the whole X screen, as it
// announces it (_NET_WM_STRUT_PARTIAL): thickness from each edge, and the span
// along that edge the reservation covers. The older four-value form reserves
// the whole edge.
struct Strut
{
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    int leftStartY = 0;
    int leftEndY = 0;
    int rightStartY = 0;
    int rightEndY = 0;
    int topStartX = 0;
    int topEndX = 0;
    int bottomStartX = 0;
    int bottomEndX = 0;

    // A reservation of whole edges, on a screen of `rootSize`.
    static Strut WholeEdges(int left, int right, int top, int bottom, const QSize& rootSize);
};

// The part of `monitor` that no reservation covers. `rootSize` is the size of
// the whole screen the struts are measured against. Only reservations that
// overlap the monitor cut it, so a panel on one monitor leaves another whole.
// A monitor covered entirely keeps its full area.
QRect MonitorLessStruts(const QRect& monitor, const QSize& rootSize, const std::vector<Strut>& struts);

// A rectangle of the window system's device pixels turned into Qt's logical
// ones, as Qt maps a scaled screen: positions relative to the monitor's
// top-left corner `origin` (the same in both) divided by `ratio`. Edges are
// rounded inwards: what Qt draws over the result stays inside `device`.
QRect DeviceToLogical(const QRect& device, const QPoint& origin, double ratio);

// The work area of `screen`: the monitor less the taskbar and any other docked
// bar. With one monitor that is what the desktop announces for the screen.
// With several, the per-monitor work area a desktop publishes, else the
// monitor less the struts of the docks on the desktop, at whatever scale the
// screen has: the desktop's figures are in device pixels, the result in Qt's
// logical ones. Where the window system tells none of this (Windows,
// Wayland), what Qt knows.
QRect WorkAreaOf(QScreen* screen);

// Runs `changed` from the event loop whenever the desktop announces new work
// areas (X11: the root window's _NET_WORKAREA or _GTK_WORKAREAS_Dn, as a dock
// comes, goes or moves), for as long as `context` lives. Qt tells only of the
// screen's own work area, which on several monitors is the whole monitor.
// Nothing to do where Qt follows every work area itself (Windows).
void WhenWorkAreasChange(QObject* context, std::function<void()> changed);
