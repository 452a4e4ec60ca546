// Project texts for the model's tests and benchmark: blocks, wires and cells in the form the
// program writes them, and a recorder of the model's notifications.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "framework/model.h"
#include "graphical/model/block.h"
#include "platform/qt/dialogs.h"

namespace fixture {

inline int32_t Id(int cell, int local) {
    return int32_t((uint32_t(cell) << 16) | uint32_t(local));
}

struct BlockSpec {
    int32_t id = 0;
    int type = 0;
    std::vector<std::string> param; // no parameter section when empty
    std::vector<int32_t> inputs;    // sources of inputs 0, 1, ...
    int x = 10;
    int y = 10;
};

// A function block with its wires drawn straight from each source's right side.
inline TLines GraphBlock(const BlockSpec& spec) {
    TLines lines = {"#BLOCK_START", "GraphBlock", "ID=" + std::to_string(spec.id),
                    std::to_string(spec.x) + "," + std::to_string(spec.y) + "," +
                        std::to_string(spec.x + 60) + "," + std::to_string(spec.y + 40)};
    for (size_t i = 0; i < spec.inputs.size(); ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "IN%02d=", int(i % 100));
        lines.push_back(key + std::to_string(spec.inputs[i]) + ",1:" + std::to_string(spec.x - 40) +
                        "," + std::to_string(spec.y + 10) + "," + std::to_string(spec.x) + "," +
                        std::to_string(spec.y + 10));
    }
    lines.push_back("TYPE=" + std::to_string(spec.type));
    if (!spec.param.empty()) {
        lines.push_back("#DLLDATA_START");
        lines.insert(lines.end(), spec.param.begin(), spec.param.end());
        lines.push_back("#DLLDATA_END");
    }
    lines.push_back("#BLOCK_END");
    lines.push_back("");
    return lines;
}

inline TLines CommentBlock(int32_t id, const std::string& text, int x, int y) {
    return {"#BLOCK_START",
            "TextBlock",
            "ID=" + std::to_string(id),
            std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(x + 56) + "," +
                std::to_string(y + 13),
            text,
            "Font=MS Sans Serif,8,0,0,0,0,0",
            "#BLOCK_END",
            ""};
}

// A cell body with its "ID=" and "NAME=" header.
inline TLines Cell(int number, const std::string& name, const std::vector<TLines>& blocks) {
    TLines lines = {"ID=" + std::to_string(number), "NAME=" + name, ""};
    for (const TLines& block : blocks)
        lines.insert(lines.end(), block.begin(), block.end());
    return lines;
}

// Appends a cell in the frame the project file gives it.
inline void AppendCell(TLines& lines, const TLines& cell) {
    lines.push_back("#CELL_START");
    lines.insert(lines.end(), cell.begin(), cell.end());
    lines.push_back("#CELL_END");
    lines.push_back("");
}

inline QByteArray Join(const TLines& lines) {
    return QByteArray::fromStdString(JoinLines(lines));
}

// A project of one cell, a comment and a table whose line at the given place is ten megabytes
// long, as a damaged file may hold it. The wire's points all lie on one line; its last point
// is (110,20).
enum LongLinePlace {
    WireLine,
    CommentLine,
    TableLine,
    ParameterLine,
    CommentBlockText,
    CellName,
    FontLine,
    BitmapLine,
    RectangleLine,
    SectionLine,
};
constexpr size_t LongLineLength = 10'000'000;

inline QByteArray LongLineProject(LongLinePlace place) {
    std::string wire = "65537,1:";
    while (wire.size() < LongLineLength)
        wire += "60,20,";
    wire += "110,20";
    const std::string text(LongLineLength, 'x');
    TLines lines = {"MIRELT Tavrissel plus - project file", "Version=1.0", "1", ""};
    lines.insert(lines.end(),
                 {"#COMMENT_START", place == CommentLine ? text : "kurz", "#COMMENT_END", ""});
    lines.insert(lines.end(),
                 {"#TABLE_START", "Name=T", place == TableLine ? text : "0;0", "#TABLE_END", ""});
    TLines cell =
        Cell(1, place == CellName ? text : "Zelle",
             {GraphBlock({Id(1, 1), 700, {place == ParameterLine ? text : "1"}, {}, 0, 0}),
              GraphBlock({Id(1, 2), 104, {"1"}, {Id(1, 1)}, 110, 0}),
              CommentBlock(Id(1, 3), place == CommentBlockText ? text : "Notiz", 0, 100)});
    const auto lineOf = [&cell](const std::string& start) -> std::string& {
        return *std::find_if(cell.begin(), cell.end(), [&start](const std::string& line) {
            return line.rfind(start, 0) == 0;
        });
    };
    if (place == WireLine)
        lineOf("IN00=") = "IN00=" + wire;
    if (place == FontLine)
        lineOf("Font=") = "Font=" + text + ",8,0,0,0,0,0";
    if (place == BitmapLine)
        cell.insert(
            std::find(std::find(cell.begin(), cell.end(), "TYPE=104"), cell.end(), "#BLOCK_END"),
            "BmpFile=" + text);
    if (place == RectangleLine)
        lineOf("110,0,") = "110,0,170," + std::string(LongLineLength, '4');
    AppendCell(lines, cell);
    if (place == SectionLine)
        lines.insert(lines.end(), {text, ""});
    return Join(lines);
}

inline bool WriteFile(const QString& name, const QByteArray& data) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

inline QByteArray ReadFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The texts of the message boxes shown, in order.
inline QStringList MessageBoxTexts(const platform::DialogRecorder& recorder) {
    QStringList texts;
    for (const auto& box : recorder.Boxes())
        texts << box.text;
    return texts;
}

// Records every notification a model sends.
class NotificationRecorder : public TSpecialView {
public:
    std::vector<std::pair<int, NotifyData>> events;

    void UpdateAspekt(int code, NotifyData data) override { events.emplace_back(code, data); }
    std::vector<NotifyData> DataOf(int code) const {
        std::vector<NotifyData> data;
        for (const auto& [c, d] : events) {
            if (c == code)
                data.push_back(d);
        }
        return data;
    }
    int Count(int code) const { return int(DataOf(code).size()); }
};

} // namespace fixture
