// Shared helpers: error boxes and the lookup of bitmap and table files.
#pragma once

#include <QString>

#include "platform/qt/failure.h"

class QKeyEvent;

// Configured directories (no trailing "/"); set by the main window from its settings.
extern QString BitmapDir;
extern QString TableDir;
// Some window opened the help.
extern bool HelpUsed;

// Opens the help topic context and notes that help was used, so that it is closed at exit.
void ShowHelpTopic(int context);
// F1 opens the help topic context; true when the key was F1.
bool HelpKey(const QKeyEvent* event, int context);

// An exclamation beep, then an error box with the single button OK.
void ShowError(const QString& msg);
// The same with a printf-style format (strings as UTF-8).
void ShowErrorFmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// An exclamation beep, then a warning box with the single button OK.
void ShowWarning(const QString& msg);

// The first that exists: name itself, "Bitmaps/" + name, "../Bitmaps/" + name; otherwise
// BitmapDir + "/" + name, also when that does not exist.
QString FindBitmapFile(const QString& name);
// The same with "Tables" and TableDir.
QString FindTableFile(const QString& name);
// The bare file name when name lies directly in BitmapDir (compared case-sensitively).
QString MakeBitmapPathRelative(const QString& name);
QString MakeTablePathRelative(const QString& name);
