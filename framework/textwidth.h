// Sizes measured from the texts a window shows, so that they show whole in this platform's fonts.
#pragma once

#include <QStringList>

class QFontMetrics;
class QWidget;

// The widest of texts in the given metrics.
int TextsWidth(const QFontMetrics& metrics, const QStringList& texts);

// The width a window needs to show its caption whole in the title bar, with room for the
// window manager's icon and frame buttons.
int CaptionWidth(const QWidget* window);
// Widens a window that is narrower than its caption needs, keeping its centre; a fixed width
// grows with it.
void FitWidthToCaption(QWidget* window);
// From now on every dialog of the application fits its caption when it is shown or retitled
// (message boxes size themselves). Installs once.
void FitDialogsToCaptions();
