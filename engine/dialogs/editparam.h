// What the kinds ask of their parameter dialogs. Each call shows one modal dialog owned by the
// library's hidden main form and answers true only when the user confirmed it; the texts are
// Windows-1252 like every engine text. Without a QApplication on the calling thread nothing is
// shown and the answer is false.
#pragma once

#include <string>

namespace quendal::dialogs {

// A number from 1 to maximum; text holds the number before and after.
bool SelectNumber(const char* caption, const char* prompt, int maximum, std::string& text);

// Free text (at most maxLength characters; a null prompt takes the standard one), a number, a
// time "HH:MM" or a date "DD.MM". Time and date are preset with their four digits.
enum class MaskMode { Text = 0, Number = 1, Time = 2, Date = 3 };
bool MaskInput(MaskMode mode, const char* prompt, int maxLength, std::string& text);

// One character; a blank when the user left the edit empty.
bool InputChar(char& character);

// The LCD mask: two lines separated by a line feed.
bool LcdMask(std::string& mask);

// The melody: tone, duration and pause triples, each number followed by a blank.
bool Melody(std::string& melody);

// The LED mask from six characters and six point flags, index 0 the leftmost place.
bool LedMask(const char characters[6], const bool points[6], std::string& mask);

// The print kind's mode (1, 2 or 4) and the baud kind's rate code (1, 2, 4 or 8) as text.
bool PrintMode(int mode, std::string& text);
bool BaudRate(int code, std::string& text);

// Names one per line, lines ending in CR LF; at most maxLength characters in all.
bool StringList(int maxLength, std::string& text);

} // namespace quendal::dialogs
