// Input sent to a Qt widget as Qt delivers it, for tests that drive controls
// below the window-message layer.
#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace testsupport {

// A left button pressed and released at `local` in `widget`, as Qt delivers them.
inline void LeftClick(QWidget *widget, QPoint local)
{
    const QPointF global(widget->mapToGlobal(local));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(local), global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace testsupport
