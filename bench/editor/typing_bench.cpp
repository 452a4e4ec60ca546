// Time per keystroke of the editor's text layer: characters typed into the middle of a
// 1,000-paragraph text with word wrap on, undo recorded, the editor told of every change.
#include "editor/paralist.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// Stands in for the control: after every change it maps its caret to a line and column.
class CaretEditor : public ved::TVedRingMember {
public:
    int32_t para = 1, pos = 1, line = 1, column = 1;
    void ParaListChanged(const ved::TParaChange& change, const ved::TVedRingMember*) override {
        change.Adjust(para, pos, ParaList()->ParaCount());
        ParaList()->LineOfPos(para, pos, line, column);
    }
};

std::string Paragraph(int n) {
    std::string text;
    while (text.size() < 240)
        text += "word" + std::to_string(n % 97) + " and some more text, ";
    return text;
}

void BM_TypeIntoMiddleWithWrap(benchmark::State& state) {
    CaretEditor editor;
    editor.CreateParaList(true, 8192);
    ved::TParaList& list = *editor.ParaList();
    list.SetWrapColumn(78);
    for (int i = 0; i < 1000; ++i) {
        const std::string text = Paragraph(i);
        list.AppendPara(text.data(), int(text.size()));
    }
    const int32_t para = 500;
    const int32_t start = list.ParaLength(para) / 2;
    const char keys[] = "the quick brown fox jumps over the lazy dog ";
    int typed = 0;
    for (auto _ : state) {
        const char c = keys[typed % (sizeof keys - 1)];
        editor.para = para;
        editor.pos = start + typed;
        if (list.InsertChars(&editor, para, start + typed, &c, 1) != 0)
            state.SkipWithError("insert failed");
        if (++typed == 2000) { // keep the paragraph at a realistic size
            state.PauseTiming();
            list.DeleteChars(&editor, para, start, typed);
            typed = 0;
            state.ResumeTiming();
        }
    }
    state.counters["lines"] = list.LineCount();
}

BENCHMARK(BM_TypeIntoMiddleWithWrap)->Unit(benchmark::kMicrosecond);

} // namespace
