// Keystroke to repainted widget: characters typed into the middle of a wrapped
// 1,000-paragraph text in a real editor control, each followed by a synchronous repaint.
#include "editor/widgets/vededit.h"

#include <QApplication>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <string>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "editor2_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

std::string Paragraph(int n) {
    std::string text;
    while (text.size() < 240)
        text += "word" + std::to_string(n % 97) + " and some more text, ";
    return text;
}

struct Fixture {
    QWidget form;
    ved::TVedControllerComponent* controller = new ved::TVedControllerComponent(&form);
    ved::TVedEditor* editor = new ved::TVedEditor(&form);

    Fixture() {
        editor->setGeometry(0, 0, 640, 480);
        form.resize(640, 480);
        editor->SetWordWrap(true);
        editor->SetWrapToWindow(true);
        for (int i = 0; i < 1000; ++i)
            editor->AppendPara(Paragraph(i));
        form.show();
        editor->setFocus();
        QApplication::processEvents();
        editor->SetCaretPosition(1, 1);
        int32_t para = 500, pos = 120;
        editor->ParaToLine(para, pos);
        editor->SetCaretPosition(para, pos);
        editor->viewport()->repaint();
    }
};

void BM_KeystrokeToRepaint(benchmark::State& state) {
    App();
    Fixture f;
    const char keys[] = "the quick brown fox jumps over the lazy dog ";
    int typed = 0;
    for (auto _ : state) {
        const char c = keys[typed % (sizeof keys - 1)];
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (c == ' ' ? 0 : c - 'a'), Qt::NoModifier,
                        QString(QLatin1Char(c)));
        QApplication::sendEvent(f.editor, &press);
        f.editor->viewport()->repaint();
        if (++typed == 400) { // keep the paragraph at a realistic size
            state.PauseTiming();
            f.editor->Undo();
            f.editor->viewport()->repaint();
            typed = 0;
            state.ResumeTiming();
        }
    }
    state.counters["lines"] = f.editor->GetLineCount();
}
BENCHMARK(BM_KeystrokeToRepaint)->Unit(benchmark::kMicrosecond);

void BM_EnterToRepaint(benchmark::State& state) {
    App();
    Fixture f;
    for (auto _ : state) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(f.editor, &enter);
        f.editor->viewport()->repaint();
        state.PauseTiming();
        QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        QApplication::sendEvent(f.editor, &back);
        f.editor->viewport()->repaint();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EnterToRepaint)->Unit(benchmark::kMicrosecond);

} // namespace
