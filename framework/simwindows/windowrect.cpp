#include "framework/simwindows/windowrect.h"

#include "framework/winregistry.h"

void TWindowRect::Read(TWinRegistry& reg, const QString& section) {
    Left = reg.ReadInteger(section, "Left", -1);
    Top = reg.ReadInteger(section, "Top", -1);
    Right = reg.ReadInteger(section, "Right", -1);
    Bottom = reg.ReadInteger(section, "Bottom", -1);
}

void TWindowRect::Write(TWinRegistry& reg, const QString& section) const {
    reg.WriteInteger(section, "Left", Left);
    reg.WriteInteger(section, "Top", Top);
    reg.WriteInteger(section, "Right", Right);
    reg.WriteInteger(section, "Bottom", Bottom);
}

TWindowRect PlaceRectOnScreen(TWindowRect rect, int screenWidth, int screenHeight) {
    int dx = 0, dy = 0;
    if (rect.Right < 0)
        dx = -rect.Left;
    else if (rect.Left > screenWidth)
        dx = screenWidth - rect.Right;
    if (rect.Bottom < 0)
        dy = -rect.Top;
    else if (rect.Top > screenHeight)
        dy = screenHeight - rect.Bottom;
    rect.Left += dx;
    rect.Right += dx;
    rect.Top += dy;
    rect.Bottom += dy;
    return rect;
}
