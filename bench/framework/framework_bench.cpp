// Notification rounds, undo and redo, desktop record encoding, and a burst of settings.
#include "framework/desktop.h"
#include "framework/model.h"
#include "framework/winregistry.h"
#include "platform/settings.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class TCountingView : public TSpecialView {
public:
    int64_t sum = 0;
    void UpdateAspekt(int code, NotifyData data) override { sum += code + data; }
};

class TValueModel : public TModel {
public:
    TValueModel() : TModel(false) {}
    int value = 0;
};

class TSetValue : public TUndoAction {
public:
    explicit TSetValue(int stored = 0) : stored_(stored) {}
    void SaveRedoData(TUndoAction* redo, TModel* model) override {
        static_cast<TSetValue*>(redo)->stored_ = static_cast<TValueModel*>(model)->value;
    }
    bool UndoAction(TModel* model, bool isRedo) override {
        CreateRedoAction<TSetValue>(model, isRedo);
        static_cast<TValueModel*>(model)->value = stored_;
        return true;
    }

private:
    int stored_;
};

void BM_NotifyViews(benchmark::State& state) {
    TValueModel model;
    std::vector<TCountingView> views(static_cast<size_t>(state.range(0)));
    for (TCountingView& view : views)
        view.SetModel(&model);
    for (auto _ : state)
        model.NotifyViews(2205, 1);
    benchmark::DoNotOptimize(views.front().sum);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_NotifyViews)->Arg(4)->Arg(64);

void BM_EditUndoRedo(benchmark::State& state) {
    TValueModel model;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            model.AddUndoAction(std::make_unique<TSetValue>(model.value), false);
            model.value = i;
        }
        while (model.CanUndo())
            model.Undo();
        while (model.CanRedo())
            model.Redo();
        model.ClearUndo();
    }
    state.SetItemsProcessed(state.iterations() * 300);
}
BENCHMARK(BM_EditUndoRedo);

void BM_DesktopRecords(benchmark::State& state) {
    for (auto _ : state) {
        TDesktopWriter writer;
        for (int w = 0; w < 20; ++w) {
            writer.BeginRecord();
            writer.WriteString(QStringLiteral("TProgramCellForm"));
            for (int i = 0; i < 5; ++i)
                writer.WriteInteger(w * 10 + i);
            writer.WriteString(QStringLiteral("Zelle Nummer %1").arg(w));
            writer.EndRecord();
        }
        TDesktopReader reader(writer.Data());
        int64_t sum = 0;
        while (!reader.AtEnd()) {
            reader.BeginRecord();
            reader.ReadString();
            for (int i = 0; i < 5; ++i)
                sum += reader.ReadInteger();
            reader.EndRecord();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 20);
}
BENCHMARK(BM_DesktopRecords);

// What the main window writes at close: 200 values of 20 windows, then the object is freed
// and the file written.
void BM_SettingsBurstAtClose(benchmark::State& state) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tavrissel-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    platform::Settings store(pattern + "/registry.txt");
    for (auto _ : state) {
        TWinRegistry reg(store, QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/plus"));
        for (int i = 0; i < 200; ++i)
            reg.WriteInteger(QStringLiteral("Window%1").arg(i % 20),
                             QStringLiteral("Value%1").arg(i), i);
    }
    state.SetItemsProcessed(state.iterations() * 200);
    std::filesystem::remove_all(pattern);
}
BENCHMARK(BM_SettingsBurstAtClose)->Unit(benchmark::kMillisecond);

} // namespace
