// The two concrete blocks of a cell: the function block with its twin in the block engine, and
// the comment that lives in the editor only.
#pragma once

#include <QFont>
#include <QImage>

#include <optional>

#include "graphical/model/block.h"

class QFontMetrics;

class TGraphBlock : public TBlock {
public:
    TGraphBlock(int32_t id, EngineHandle engine);
    ~TGraphBlock() override;
    // A new block of a type: the catalogue's picture and size.
    static std::unique_ptr<TGraphBlock> CreateTyped(int32_t id, EngineHandle engine, int typeId);

    int32_t TypeId = 0;
    // False for a block whose lines end before its type line: it is saved without one.
    bool HasType = true;
    bool OwnBitmap = false;
    std::string BmpFile;
    EngineHandle Engine = nullptr;
    int32_t InputCount = 0;
    std::string ParamText;
    // The block has a parameter section, also an empty one; an empty text constant keeps its
    // empty text through a save.
    bool HasParam = false;
    std::string IndexLabel;
    // The engine holds the block: its add pass succeeded and it was not removed since.
    bool InEngine = false;
    // The engine refused the block, its parameter or one of its wires at the last push.
    bool EngineRefused = false;

    // The picture drawn: the own bitmap, the catalogue's, or null.
    const QImage* Bitmap() const { return bitmap_; }

    void AssignTo(TBlock& target) const override;
    TRect GetWiresRect() const override;
    TInputLine* GetInput(int index) const override;
    void SetInputLine(int index, std::unique_ptr<TInputLine> wire) override;
    std::string ClassAlias() const override { return "GraphBlock"; }
    // The help topic of the block's kind: its type id.
    void ShowHelp() const override;
    int KindCode() const override { return 2; }
    bool RerouteWireStarts(const std::vector<TBlock*>& blocks) override;
    bool RerouteWireEnds() override;
    bool CanEditData(int kind) const override;
    bool CanBeWireSource() const override;
    bool HasMapCode() const override;
    bool InputHitTest(QPoint p, int& index, TInputLine*& wire) const override;
    bool DropInputsFrom(const std::vector<TBlock*>& blocks) override;
    void DrawWires(QPainter& canvas) const override;
    void Draw(QPainter& canvas) const override;
    bool EditData(int kind, bool& changed) override;
    bool HasInputFrom(const std::vector<TBlock*>& blocks) const override;
    void ShiftIds(int32_t delta) override;
    bool MoveBy(QPoint offset) override;
    void MoveWithWires(QPoint offset) override;
    bool MoveInGroup(const TBlockList& cell, const std::vector<TBlock*>& selection,
                     QPoint offset) override;
    void UpdateSize() override;
    void SetCellNumber(uint16_t cell) override;
    void GetData(int kind, std::string& text) const override;
    bool SetData(int kind, const std::string& text) override;
    bool LoadBaseLines(const TLines& lines, size_t& index) override;
    TOwnLine LoadOwnLine(const TLines& lines, size_t& index, size_t end) override;
    TOwnLine LoadFreeLines(std::vector<std::string_view>& free) override;
    bool SaveBaseLines(TLines& lines) const override;
    bool SaveOwnLines(TLines& lines) const override;
    bool SyncWithEngine(bool addPass, const TBlockList* cell) override;
    void RemoveFromEngine() override;
    bool CanConnectFrom(const TBlock& source) const override;
    bool ConnectInput(int mode, int& index, std::unique_ptr<TInputLine> wire) override;
    std::string InputAsText(int index) const override;
    std::unique_ptr<TBlock> CreateSame(int32_t id, EngineHandle engine) const override;

    // The block has no type, or the loaded catalogue lacks it: the block has no engine twin and
    // no picture.
    bool UnknownType() const;
    void FetchParam();
    bool EditParam(bool& sizeChanged);
    bool EditBitmap(bool& changed);
    void SetBmpFile(const std::string& name);
    void UpdateIndexLabel(bool& changed);
    void CountInputs();

private:
    void TakeCatalogueBitmap();
    // One "IN.." line: the wire is set at its input, or dropped with a message.
    void LoadWireLine(std::string_view line);

    // What the lines read so far held.
    struct {
        bool type = false;
        std::optional<std::string> bitmap;
    } reading_;

    std::array<std::unique_ptr<TInputLine>, MaxInputs> inputs_;
    const QImage* bitmap_ = nullptr;
    QImage ownBitmap_;
};

class TTextBlock : public TBlock {
public:
    enum Style { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

    TTextBlock(int32_t id, EngineHandle engine);

    std::string Text;
    std::string FontName;
    int FontSize = 8;
    // A Windows colour value: red in the low byte, then green, then blue.
    uint32_t FontColor = 0;
    int FontStyle = 0;

    void AssignTo(TBlock& target) const override;
    std::string ClassAlias() const override { return "TextBlock"; }
    // Comments share one help topic.
    void ShowHelp() const override;
    int KindCode() const override { return 1; }
    bool CanEditData(int kind) const override { return kind == 0; }
    bool CanOverlap() const override { return true; }
    void Draw(QPainter& canvas) const override;
    bool EditData(int kind, bool& changed) override;
    void UpdateSize() override;
    void GetData(int kind, std::string& text) const override;
    bool SetData(int kind, const std::string& text) override;
    TOwnLine LoadFreeLines(std::vector<std::string_view>& free) override;
    bool SaveOwnLines(TLines& lines) const override;
    std::unique_ptr<TBlock> CreateSame(int32_t id, EngineHandle engine) const override;

    bool EditDialog(bool& changed);
    std::string FontAsText() const;
    bool FontFromText(const std::string& line);
    QFont Font() const;
    void SetFont(const QFont& font, uint32_t color);

private:
    // The start of the text that reaches past the right edge of the drawing area; what lies
    // behind is never seen.
    QString ShownText(const QFontMetrics& metrics) const;
};

// A wire that the block cannot take is dropped, never handed to the engine; the message names
// the block and the input, by its two-digit number as the wire's line has it.
void ReportDroppedWire(int32_t id, int input);
// For a line whose input is no number: named by the characters that stand for it.
void ReportDroppedWire(int32_t id, const std::string& input);
// The message of one dropped wire, told under the given cell.
void ShowDroppedWire(int local, int cell, const std::string& input);
std::string InputNumberText(int input);

QColor ColorFromWindows(uint32_t value);
uint32_t ColorToWindows(const QColor& color);
