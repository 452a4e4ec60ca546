// What the MDI frames of both programs share: the property that carries command numbers, the
// desktop file's name, the status-bar hint and Qt's German texts.
#pragma once

#include <QString>

// Command numbers travel in this property of menu items and tool buttons.
inline constexpr char kTagProperty[] = "tag";

// The desktop file: the directory current at start plus the program's name with ".DSK".
extern QString DesktopFileName;
QString DefaultDesktopFileName();

// Whether a status-bar hint still stands: a menu is open, whose items tell their own hints, or
// the pointer rests on a widget that carries it. A command that handles events while it runs
// can keep Qt from ever telling the button below its menu that the pointer left.
bool HintUnderPointer(const QString& hint);
// Clears a hint that no longer stands; true when it did.
bool DropStaleHint(QString& hint);

// Installs Qt's German texts for the standard dialogs and key names from directory (Qt's own
// translations when empty). False when they are not there; the program runs on in English.
bool InstallQtTranslations(const QString& directory = QString());
