// Objects whose events change nothing a command's enabling depends on (a caret's blink timer)
// carry this property: the main window's idle calls do not follow their events, just as a
// blinking system caret sends a program no message.
#pragma once

#include <QObject>
#include <QVariant>

inline constexpr char kIdleQuietProperty[] = "idleQuiet";

inline void MarkIdleQuiet(QObject* object) {
    object->setProperty(kIdleQuietProperty, true);
}

inline bool IsIdleQuiet(const QObject* object) {
    return object->property(kIdleQuietProperty).toBool();
}
