// A project model for edit tests: built from a project text, written back as one, and
// compiled, so that each edit can be checked against the text and the engine.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "graphical/model/quendalmodel.h"
#include "graphical/tests/projectfixture.h"

namespace edittest {

using namespace fixture;

class TestModel : public TQuendalModel {
public:
    using TQuendalModel::DoSave;
};

// Two cells with wired blocks and a comment, a third that jumps back, and a table.
inline QByteArray SampleProject() {
    TLines lines = {"MIRELT Tavrissel plus - project file",
                    "Version=1.0",
                    "2",
                    "",
                    "#TABLE_START",
                    "Name=Kurve",
                    "1",
                    "4",
                    "9",
                    "#TABLE_END",
                    ""};
    const std::vector<TLines> cells = {
        Cell(1, "Eins",
             {GraphBlock({Id(1, 1), 700, {"5"}, {}, 10, 10}),
              GraphBlock({Id(1, 2), 700, {"6"}, {}, 10, 70}),
              GraphBlock({Id(1, 3), 200, {}, {Id(1, 1), Id(1, 2)}, 110, 10}),
              GraphBlock({Id(1, 4), 104, {"1"}, {Id(1, 3)}, 210, 10}),
              CommentBlock(Id(1, 5), "Summe", 10, 130)}),
        Cell(2, "Zwei",
             {GraphBlock({Id(2, 1), 700, {"7"}, {}, 10, 10}),
              GraphBlock({Id(2, 2), 104, {"2"}, {Id(2, 1)}, 110, 10})}),
        Cell(3, "Drei", {GraphBlock({Id(3, 1), 1000, {"Eins"}, {}, 10, 10})}),
    };
    for (const TLines& cell : cells)
        AppendCell(lines, cell);
    return Join(lines);
}

// The project as the program writes it.
inline QByteArray TextOf(TestModel& model) {
    std::string content;
    if (!model.DoSave(QDir::current().filePath("text.mtp"), content))
        return "<not saved>";
    return QByteArray::fromStdString(content);
}

// The code the engine's pages compile to, or the compiler's message.
inline QByteArray CodeOf(TQuendalModel& model) {
    QFile::remove("CODE.TXT");
    QByteArray result;
    if (MoltraneCompilerInit(model.Engine) != 1 || MoltraneCompile(model.Engine) != 0) {
        result = QByteArray("failed: ") + MoltraneGetErrorMessage(model.Engine);
    } else {
        for (const auto& table : model.Tables) {
            if (!table->LoadIntoEngine(model.Engine))
                return QByteArray("table failed: ") + MoltraneGetErrorMessage(model.Engine);
        }
        if (MoltraneCompilerDone(model.Engine) != 1) {
            result = QByteArray("failed: ") + MoltraneGetErrorMessage(model.Engine);
        } else {
            QFile file("CODE.TXT");
            result = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("no code");
        }
    }
    return result;
}

inline std::unique_ptr<TestModel> LoadModel(const QByteArray& text) {
    const QString path = QDir::current().filePath("load.mtp");
    auto model = std::make_unique<TestModel>();
    if (!WriteFile(path, text) || !model->LoadFromFile(path))
        return nullptr;
    return model;
}

// The engine of the edited model compiles exactly as a fresh load of the model's text.
inline bool EngineMatchesText(TestModel& model, QByteArray* detail = nullptr) {
    const QByteArray text = TextOf(model);
    std::unique_ptr<TestModel> fresh = LoadModel(text);
    if (!fresh)
        return false;
    const QByteArray edited = CodeOf(model);
    const QByteArray loaded = CodeOf(*fresh);
    if (detail)
        *detail = "edited: " + edited.left(200) + "\nloaded: " + loaded.left(200);
    return edited == loaded;
}

} // namespace edittest
