// Where an options dialog opens: centred on its owner's window, kept off negative
// coordinates; without an owner, centred on the screen.
#pragma once

#include <QScreen>
#include <QWidget>

#include <algorithm>

inline void CenterOnOwner(QWidget* dialog, QWidget* owner) {
    if (owner) {
        const QRect frame = owner->window()->geometry();
        dialog->move(std::max(0, frame.x() + frame.width() / 2 - dialog->width() / 2),
                     std::max(0, frame.y() + frame.height() / 2 - dialog->height() / 2));
    } else if (const QScreen* screen = dialog->screen()) {
        const QRect area = screen->geometry();
        dialog->move(area.x() + (area.width() - dialog->width()) / 2,
                     area.y() + (area.height() - dialog->height()) / 2);
    }
}
