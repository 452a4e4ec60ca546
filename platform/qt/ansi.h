// The one place where the GUI converts between Qt strings and the programs' Windows-1252 texts.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <string>
#include <string_view>

namespace platform {

QString AnsiToQString(std::string_view text);
QString AnsiToQString(const QByteArray& text);
// Characters without a Windows-1252 code become "?" (one per character, also outside the
// basic plane).
std::string QStringToAnsi(const QString& text);
QByteArray QStringToAnsiBytes(const QString& text);
// Whether the character can be kept in a Windows-1252 text (the editor refuses the others).
bool IsAnsiCharacter(QChar character);

} // namespace platform
