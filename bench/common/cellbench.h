#pragma once

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <string>

#include "graphical/model/block.h"
#include "graphical/model/blockcatalogue.h"

namespace cellbench {

// Pairs of a constant and a D/A port joined by a wire with one bend, in rows of ten pairs:
// the block lines of one program cell.
inline TLines PairBlocks(int pairs) {
    TLines lines;
    for (int i = 0; i < pairs; ++i) {
        const int x = (i % 10) * 190 + 5, y = (i / 10) * 50 + 5;
        const int source = 65536 + 2 * i + 1;
        const auto rect = [](int left, int top) {
            return std::to_string(left) + "," + std::to_string(top) + "," +
                   std::to_string(left + 60) + "," + std::to_string(top + 40);
        };
        const TLines block = {"#BLOCK_START",
                              "GraphBlock",
                              "ID=" + std::to_string(source),
                              rect(x, y),
                              "TYPE=700",
                              "#DLLDATA_START",
                              std::to_string(i),
                              "#DLLDATA_END",
                              "#BLOCK_END",
                              "",
                              "#BLOCK_START",
                              "GraphBlock",
                              "ID=" + std::to_string(source + 1),
                              rect(x + 100, y),
                              "IN00=" + std::to_string(source) + ",1:" + std::to_string(x + 60) +
                                  "," + std::to_string(y + 20) + "," + std::to_string(x + 80) +
                                  "," + std::to_string(y + 20) + "," + std::to_string(x + 100) +
                                  "," + std::to_string(y + 20),
                              "TYPE=104",
                              "#BLOCK_END",
                              ""};
        lines.insert(lines.end(), block.begin(), block.end());
    }
    return lines;
}

// Entry point of a benchmark that needs the block catalogue but no widgets.
inline int RunWithCatalogue(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!LoadBlockCatalogue())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FreeBlockCatalogue();
    return 0;
}

} // namespace cellbench
