#include "framework/simwindows/terminallines.h"

#include <algorithm>

std::string ExpandTabs(std::string_view text, TTabRule rule) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\t') {
            out += c;
            continue;
        }
        if (rule == TTabRule::BlankThenStop)
            out += ' ';
        do
            out += ' ';
        while (out.size() % 8 != 0);
    }
    return out;
}

TTerminalChange AppendTerminalText(std::vector<std::string>& lines, std::string_view text,
                                   TTabRule rule, size_t maxLines, std::vector<uint8_t>* marks,
                                   uint8_t mark) {
    if (lines.empty())
        lines.emplace_back();
    size_t index = lines.size() - 1;
    TTerminalChange change;
    change.first = int(index);
    // The last line joins the new text, so a CR LF split over two outputs still ends it.
    const std::string joined = lines[index] + std::string(text);
    size_t start = 0;
    size_t crlf = 0;
    while ((crlf = joined.find("\r\n", start)) != std::string::npos) {
        lines[index] = ExpandTabs(std::string_view(joined).substr(start, crlf - start), rule);
        lines.emplace_back();
        ++index;
        start = crlf + 2;
    }
    lines[index] = ExpandTabs(std::string_view(joined).substr(start), rule);
    change.last = int(index);
    if (marks) {
        marks->resize(lines.size(), 0);
        std::fill(marks->begin() + change.first, marks->end(), mark);
    }
    // Trimmed once the last line's index has passed the limit, down to the limit.
    if (lines.size() > maxLines + 1) {
        const auto drop = std::ptrdiff_t(lines.size() - maxLines);
        lines.erase(lines.begin(), lines.begin() + drop);
        if (marks)
            marks->erase(marks->begin(), marks->begin() + drop);
        change.trimmed = true;
    }
    return change;
}

std::string JoinTerminalLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}
