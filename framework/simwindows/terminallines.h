// The lines a simulated unit prints on its serial output: output continues the last line,
// every CR LF ends one (also when it is split over two outputs), tabs become blanks, and only
// the newest lines are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How a TAB is widened to blanks.
enum class TTabRule {
    // Up to the next column that is a multiple of 8, at least one blank.
    NextStop,
    // One blank, then up to the next multiple of 8 beyond it (a TAB at column 7 gives 16).
    BlankThenStop,
};

std::string ExpandTabs(std::string_view text, TTabRule rule = TTabRule::NextStop);

// What an output changed: the lines first..last as they were numbered before the oldest
// lines went, and whether any went.
struct TTerminalChange {
    int first = 0;
    int last = 0;
    bool trimmed = false;
};

// Appends text to lines. When the last line's index then passes maxLines, the oldest lines go
// until maxLines remain (so the list holds at most maxLines + 1). With marks (kept as long as
// lines), every line the text touched takes mark.
TTerminalChange AppendTerminalText(std::vector<std::string>& lines, std::string_view text,
                                   TTabRule rule, size_t maxLines,
                                   std::vector<uint8_t>* marks = nullptr, uint8_t mark = 0);

// Every line followed by CR LF, as the copy commands hand it to the clipboard.
std::string JoinTerminalLines(const std::vector<std::string>& lines);
