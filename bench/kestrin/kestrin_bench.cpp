// Compile time of a long BASIC source and simulation speed through LinotrexStep.
#include <benchmark/benchmark.h>

#include <string>

#include "outside/kestrin32/include/kestrin32.h"

namespace {

// 2,000 lines in the mix of a real program: statements, blocks, labels, declarations, comments.
std::string LongSource() {
    std::string s = "DIM a AS WORD, b AS WORD, c AS WORD, i AS BYTE\r\n"
                    "TABLE werte = 1, 2, 3, 4, 5, 6, 7, 8\r\n";
    for (int k = 0; k < 100; ++k) {
        std::string n = std::to_string(k);
        s += "' Abschnitt " + n +
             ": Regelung\r\n"
             "#L" +
             n +
             "\r\n"
             "IF a > " +
             n +
             " THEN\r\n"
             "  a = a - 1\r\n"
             "ELSE\r\n"
             "  b = b + werte(i)\r\n"
             "ENDIF\r\n"
             "\r\n"
             "' Zustand mischen\r\n"
             "c = c XOR b\r\n"
             "\r\n"
             "DIM f" +
             n +
             " AS BIT\r\n"
             "CONST K" +
             n + " = " + n +
             " * 3\r\n"
             "f" +
             n + " = PORT[3] AND c > K" + n +
             "\r\n"
             "REM noch ein Kommentar\r\n"
             "\r\n"
             "' Ende des Abschnitts\r\n"
             "'\r\n"
             "\r\n"
             "\r\n";
    }
    return s;
}

void BM_Compile2000Lines(benchmark::State& state) {
    const std::string source = LongSource();
    LinotrexHandle h = LinotrexCreate();
    char messages[1042];
    LinotrexSetCompilerMessageBuffer(h, messages, sizeof messages);
    LinotrexSetMemSourcePointer(h, source.c_str());
    if (LinotrexCompile(h, "") != 0) {
        state.SkipWithError(messages);
        LinotrexDestroy(h);
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(LinotrexCompile(h, ""));
    state.counters["bytes"] = LinotrexGetCodeLength(h) + LinotrexGetSysCodeLength(h);
    state.counters["lines"] = 2002;
    LinotrexDestroy(h);
}
BENCHMARK(BM_Compile2000Lines)->Unit(benchmark::kMillisecond);

// Each LinotrexStep runs one statement of a counting loop.
void BM_StepCountingLoop(benchmark::State& state) {
    const char* source = "DIM i AS WORD\r\n#Zaehle\r\ni = i + 1\r\nGOTO #Zaehle\r\n";
    LinotrexHandle h = LinotrexCreate();
    LinotrexSetOptions(h, 0);
    LinotrexSetMemSourcePointer(h, source);
    if (LinotrexCompile(h, "") != 0) {
        state.SkipWithError("compile failed");
        LinotrexDestroy(h);
        return;
    }
    LinotrexResetProgram(h);
    for (auto _ : state)
        benchmark::DoNotOptimize(LinotrexStep(h));
    state.SetItemsProcessed(state.iterations());
    LinotrexDestroy(h);
}
BENCHMARK(BM_StepCountingLoop);

} // namespace
