// The wrapper meeting results the BASIC library should never give: a compile result and a step
// event it does not know. The library's compile and step are taken over by this program; they
// pass every call on to the real library unless a test forces a result.
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "platform/qt/dialogs.h"

#include <QtTest>
#include <dlfcn.h>
#include <optional>

namespace {

std::optional<int> forcedCompile;
std::optional<uint32_t> forcedStep;

template <class F> F RealFunction(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int LinotrexCompile(LinotrexHandle h, const char* directory) {
    static const auto real = RealFunction<int (*)(LinotrexHandle, const char*)>("LinotrexCompile");
    return forcedCompile ? *forcedCompile : real(h, directory);
}

extern "C" uint32_t LinotrexStep(LinotrexHandle h) {
    static const auto real = RealFunction<uint32_t (*)(LinotrexHandle)>("LinotrexStep");
    return forcedStep ? *forcedStep : real(h);
}

using namespace harvel;

class TestLibraryFaults : public QObject {
    Q_OBJECT

private:
    TEditorForm* form = nullptr;
    QStringList messages;

    void Compile() {
        form->TextEditor()->ClearAll(true);
        form->TextEditor()->InsertText("DIM a AS WORD\r\na = 1\r\na = 2\r\n");
        form->DoCommand(250);
    }

private slots:
    void init() {
        messages.clear();
        forcedCompile.reset();
        forcedStep.reset();
        Linotrex().Views() = TLinotrexViews();
        Linotrex().Views().AddMessage = [this](const QString& text, auto) { messages << text; };
        form = TMDIChildForm::Create<TEditorForm>(nullptr, std::string());
        form->show();
    }
    void cleanup() {
        forcedStep.reset();
        delete form;
        form = nullptr;
    }

    void unknownCompileResultIsAnError() {
        forcedCompile = 9;
        Compile();
        QVERIFY(!Linotrex().Compiled());
        QCOMPARE(messages.last(), QStringLiteral("Interner Fehler: unbekanntes Ergebnis 9 des "
                                                 "Compilers"));
    }

    void unknownStepEventEndsTheStepAsAnError() {
        Compile();
        QVERIFY(Linotrex().Compiled());
        form->DoCommand(304);
        QCOMPARE(Linotrex().GetRunState(), TLinotrex::Halted);
        platform::DialogRecorder recorder;
        forcedStep = 7;
        QVERIFY(!Linotrex().StepOnce());
        QCOMPARE(Linotrex().GetRunState(), TLinotrex::Halted);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text,
                 QStringLiteral("Es trat ein Simulationsfehler auf:\nUnbekanntes Ereignis 7 der "
                                "BASIC-Bibliothek"));
        forcedStep.reset();
    }
};

QTEST_MAIN(TestLibraryFaults)
#include "tst_libraryfaults.moc"
