#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "graphical/model/blockcatalogue.h"
#include "outside/images/images.h"

namespace {

std::vector<std::string> ResourceNames() {
    std::vector<std::string> names;
    std::string groups = GetMoltraneBlockGroups();
    for (size_t start = 0, end; (end = groups.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        std::string key = groups.substr(start, groups.find('|', start) - start);
        names.push_back(key);
        std::string blocks = GetMoltraneBlocks(key.c_str());
        for (size_t s = 0, e; (e = blocks.find("\r\n", s)) != std::string::npos; s = e + 2) {
            std::string line = blocks.substr(s, e - s);
            size_t first = line.find('|');
            size_t second = line.find('|', first + 1);
            names.push_back(line.substr(0, first));
            names.push_back(line.substr(first + 1, second - first - 1));
        }
    }
    return names;
}

// Drawing every picture of the catalogue once (what a program start with all groups costs).
void BM_RenderAllPictures(benchmark::State& state) {
    std::vector<std::string> names = ResourceNames();
    std::vector<uint32_t> pixels(80 * 40);
    for (auto _ : state) {
        for (const std::string& name : names) {
            int width, height;
            int count = GetMoltraneBitmap(name.c_str(), &width, &height, pixels.data(),
                                          static_cast<int>(pixels.size()));
            benchmark::DoNotOptimize(count);
        }
    }
    state.SetItemsProcessed(state.iterations() * names.size());
}
BENCHMARK(BM_RenderAllPictures);

// Loading the catalogue through the platform layer, group bitmaps included.
void BM_LoadCatalogue(benchmark::State& state) {
    TBlockCatalogue catalogue([](const QString&) {});
    for (auto _ : state) {
        benchmark::DoNotOptimize(catalogue.Load(LoadImagesLibrary()));
        catalogue.Free();
    }
}
BENCHMARK(BM_LoadCatalogue);

void BM_FindBlockTyp(benchmark::State& state) {
    TBlockCatalogue catalogue([](const QString&) {});
    catalogue.Load(LoadImagesLibrary());
    for (auto _ : state) {
        benchmark::DoNotOptimize(catalogue.FindBlockTyp(1007));
    }
}
BENCHMARK(BM_FindBlockTyp);

} // namespace
