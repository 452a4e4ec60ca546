// The rectangle a window keeps in the settings (Left, Top, Right, Bottom), for the tool windows
// and the single-instance MDI windows of both programs.
#pragma once

#include <QRect>
#include <QString>

class TWinRegistry;

// A window rectangle as stored in the settings; an empty one (the default) is "not stored".
struct TWindowRect {
    int Left = -1, Top = -1, Right = -1, Bottom = -1;
    bool Empty() const { return Right <= Left || Bottom <= Top; }
    QRect ToQRect() const { return QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom - 1)); }
    static TWindowRect FromQRect(const QRect& r) {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    // The normal bounds of an MDI window; empty when it has none yet.
    static TWindowRect FromNormalBounds(const QRect& r) {
        return r.topLeft() == QPoint(-1, -1) && r.size() == QSize(1, 1) ? TWindowRect{}
                                                                        : FromQRect(r);
    }
    void Read(TWinRegistry& reg, const QString& section);
    void Write(TWinRegistry& reg, const QString& section) const;
};

// Moves a rectangle that lies beyond a screen edge back onto the screen.
TWindowRect PlaceRectOnScreen(TWindowRect rect, int screenWidth, int screenHeight);
