// Find and replace of the editor control.
#include "editor/widgets/vededit.h"

#include "editor/vedexcept.h"
#include "editor/vedutil.h"
#include "platform/qt/dialogs.h"

#include <algorithm>
#include <vector>

namespace ved {

bool TVedCustomEditor::Search(const std::string& findText, int options) {
    return Replace(findText, std::string(), options & ~(soReplaceOnce | soReplaceAll)) == 0;
}

int TVedCustomEditor::Replace(const std::string& findText, const std::string& replaceText,
                              int options) {
    const std::string find = findText.substr(0, 255);
    const std::string with = replaceText.substr(0, 255);
    // an empty pattern matches nowhere; an empty replacement removes the matches
    if (find.empty())
        return -1;
    const bool replacing = options & (soReplaceOnce | soReplaceAll);
    const bool all = options & soReplaceAll;
    const bool backwards = options & soBackwards;
    const bool matchCase = options & soMatchCase;
    const bool wholeWords = options & soWholeWords;
    const bool inSelection = options & soInSelection;
    const int n = static_cast<int>(find.size());
    const int rn = static_cast<int>(with.size());
    platform::WaitCursor wait;

    auto sameText = [&](const std::string& a) {
        if (a.size() != find.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (matchCase ? a[i] != find[i] : UpperAnsi(a[i]) != UpperAnsi(find[i]))
                return false;
        return true;
    };
    int count = 0;
    if (replacing && !GetReadOnly() && HasSelection() && selStartPara_ == selEndPara_ &&
        sameText(SelectedText())) {
        if (const uint16_t code = InsertText(with)) {
            DoOnError(code);
            return code;
        }
        count = 1;
    }

    // scope and start point
    int32_t scopeStartPara = 1, scopeStartPos = 1;
    int32_t scopeEndPara = GetParaCount(), scopeEndPos = List().ParaLength(GetParaCount()) + 1;
    if (inSelection) {
        scopeStartPara = selStartPara_, scopeStartPos = selStartPos_;
        scopeEndPara = selEndPara_, scopeEndPos = selEndPos_;
    }
    const bool anchorFirst = !PosBefore(caretPara_, caretPos_, anchorPara_, anchorPos_);
    int32_t startPara, startPos;
    if (inSelection || (options & soFromScope)) {
        startPara = backwards ? scopeEndPara : scopeStartPara;
        startPos = backwards ? scopeEndPos : scopeStartPos;
    } else {
        startPara = caretPara_;
        startPos = caretPos_;
    }

    const std::string pattern = [&] {
        std::string p = find;
        if (!matchCase)
            for (char& c : p)
                c = UpperAnsi(c);
        return p;
    }();
    const TSkipTable table = MakeSkipTable(pattern.data(), n);

    // every valid match in [from, to) of a paragraph, front to back
    auto matches = [&](int32_t para, int from, int to) {
        std::vector<int> found;
        int length;
        const char* text = List().ParaText(para, length);
        to = std::min(to, length);
        while (from < to) {
            const int off = SearchText(text + from, to - from, pattern.data(), table, matchCase);
            if (off < 0)
                break;
            const int m = from + off;
            const bool whole = !wholeWords || ((m == 0 || IsDelimiter(text[m - 1])) &&
                                               (m + n == length || IsDelimiter(text[m + n])));
            if (whole) {
                found.push_back(m);
                from = m + n;
            } else {
                from = m + 1;
            }
        }
        return found;
    };
    auto selectMatch = [&](int32_t para, int m) {
        if (backwards) {
            MoveCaret(para, m + n + 1, false);
            MoveCaret(para, m + 1, true);
        } else {
            MoveCaret(para, m + 1, false);
            MoveCaret(para, m + n + 1, true);
        }
    };

    bool found = false;
    // Replacing all asks no room test: only a paragraph its storage cannot hold fails (263).
    uint16_t error = VedOk;
    if (!backwards) {
        for (int32_t p = startPara; p <= scopeEndPara && !found && error == VedOk; ++p) {
            int from = p == startPara ? startPos - 1 : 0;
            if (p == scopeStartPara)
                from = std::max(from, scopeStartPos - 1);
            if (!all) {
                const int to = p == scopeEndPara ? scopeEndPos - 1 : List().ParaLength(p);
                const std::vector<int> list = matches(p, from, to);
                if (!list.empty()) {
                    selectMatch(p, list.front());
                    found = true;
                }
                continue;
            }
            while (error == VedOk) {
                const int to = p == scopeEndPara ? scopeEndPos - 1 : List().ParaLength(p);
                const std::vector<int> list = matches(p, from, to);
                if (list.empty())
                    break;
                const int m = list.front();
                error = List().ReplaceChars(this, p, m + 1, n, with.data(), rn, false);
                if (error != VedOk)
                    break;
                ++count;
                if (p == scopeEndPara)
                    scopeEndPos += rn - n;
                from = m + rn;
            }
        }
    } else {
        for (int32_t p = startPara; p >= scopeStartPara && !found && error == VedOk; --p) {
            const int from = p == scopeStartPara ? scopeStartPos - 1 : 0;
            int to = p == startPara ? startPos - 1 : List().ParaLength(p);
            if (p == scopeEndPara)
                to = std::min(to, scopeEndPos - 1);
            const std::vector<int> list = matches(p, from, to);
            if (list.empty())
                continue;
            if (!all) {
                selectMatch(p, list.back());
                found = true;
                break;
            }
            for (auto it = list.rbegin(); it != list.rend() && error == VedOk; ++it) {
                error = List().ReplaceChars(this, p, *it + 1, n, with.data(), rn, false);
                if (error == VedOk) {
                    ++count;
                    if (p == scopeEndPara)
                        scopeEndPos += rn - n;
                }
            }
        }
    }

    if (all && count > 0) {
        if (inSelection) {
            if (anchorFirst) {
                MoveCaret(scopeStartPara, scopeStartPos, false);
                MoveCaret(scopeEndPara, scopeEndPos, true);
            } else {
                MoveCaret(scopeEndPara, scopeEndPos, false);
                MoveCaret(scopeStartPara, scopeStartPos, true);
            }
        } else {
            MoveCaret(caretPara_, caretPos_, false);
        }
        InvalidateAll();
    }
    if (error != VedOk) {
        DoOnError(error);
        return error;
    }
    if (count != 0)
        return count;
    return found ? 0 : -1;
}

} // namespace ved
