// Helpers of the editor tests: reading a list back as text and an editor stand-in that
// follows changes like the control does.
#pragma once

#include "editor/paralist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vedtest {

// The whole text with paragraphs joined by '\n'.
inline std::string TextOf(ved::TParaList& list) {
    std::string out;
    for (int32_t p = 1; p <= list.ParaCount(); ++p) {
        int length;
        const char* text = list.ParaText(p, length);
        if (p > 1)
            out += '\n';
        out.append(text, static_cast<size_t>(length));
    }
    return out;
}

// The wrapped lines, each as its text.
inline std::vector<std::string> LinesOf(ved::TParaList& list) {
    std::vector<std::string> lines;
    for (int32_t l = 1; l <= list.LineCount(); ++l) {
        const char* text;
        int length;
        list.GetLine(l, text, length);
        lines.emplace_back(text, static_cast<size_t>(length));
    }
    return lines;
}

// An editor of the ring: keeps a caret that follows the changes of others.
class Probe : public ved::TVedRingMember {
public:
    int32_t caretPara = 1;
    int32_t caretPos = 1;
    std::vector<ved::TParaChange> seen;

    void ParaListChanged(const ved::TParaChange& change,
                         const ved::TVedRingMember* actor) override {
        seen.push_back(change);
        if (actor != this && ParaList())
            change.Adjust(caretPara, caretPos, ParaList()->ParaCount());
    }
};

// One editor with a list of its own (no wrap, 8192 bytes of undo).
class ListTest : public ::testing::Test {
protected:
    void SetUp() override { editor.CreateParaList(false, 8192); }
    ved::TParaList& list() { return *editor.ParaList(); }
    // Puts a text that may hold line breaks in at the start.
    void Load(const std::string& text) {
        int32_t p, x;
        ASSERT_EQ(list().InsertText(&editor, 1, 1, text.data(), int(text.size()), p, x), 0);
    }
    Probe editor;
};

} // namespace vedtest
