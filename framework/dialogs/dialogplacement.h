// Where a dialog opens: centred on its owner's window (kept off negative coordinates), or
// centred on the screen.
#pragma once

#include <QScreen>
#include <QWidget>

#include <algorithm>

// Centred on the screen that the owner's window is on (the dialog's own without an owner).
// Before its first show the dialog's frame is not known: it is taken as thick as the owner's.
inline void CenterOnScreen(QWidget* dialog, QWidget* owner = nullptr) {
    const QWidget* window = owner ? owner->window() : nullptr;
    const QScreen* screen = window ? window->screen() : dialog->screen();
    if (!screen)
        return;
    QSize frame = dialog->frameGeometry().size();
    if (window && !dialog->testAttribute(Qt::WA_WState_Created))
        frame += window->frameGeometry().size() - window->size();
    const QRect area = screen->geometry();
    dialog->move(area.x() + (area.width() - frame.width()) / 2,
                 area.y() + (area.height() - frame.height()) / 2);
}

inline void CenterOnOwner(QWidget* dialog, QWidget* owner) {
    if (owner) {
        const QRect frame = owner->window()->geometry();
        dialog->move(std::max(0, frame.x() + frame.width() / 2 - dialog->width() / 2),
                     std::max(0, frame.y() + frame.height() / 2 - dialog->height() / 2));
    } else {
        CenterOnScreen(dialog);
    }
}
