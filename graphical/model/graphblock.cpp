#include "graphical/model/graphblock.h"

#include <QFontMetrics>
#include <QPainter>

#include <cstring>
#include <map>

#include "framework/utils.h"
#include "graphical/dialogs/blockbmpdlg.h"
#include "graphical/dialogs/commentblockdialog.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/blocklist.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

namespace {

std::unique_ptr<TBlock> NewGraphBlock(int32_t id, EngineHandle engine) {
    return std::make_unique<TGraphBlock>(id, engine);
}
std::unique_ptr<TBlock> NewTextBlock(int32_t id, EngineHandle engine) {
    return std::make_unique<TTextBlock>(id, engine);
}

// The parameter text's lines as they stand between CR LF.
TLines ParamLines(const std::string& text) {
    TLines lines;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find("\r\n", start);
        if (at == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
}

// The largest size the font dialogs offer.
constexpr int MaxFontSize = 1638;
// The start of a font or file name that is looked up: a longer name names no font or file.
constexpr size_t MaxNameUsed = 4096;

} // namespace

void ShowDroppedWire(int local, int cell, const std::string& input) {
    ShowErrorFmt("Block %d in Zelle %d: ung\xC3\xBCltige Verbindung an Eingang %s entfernt!", local,
                 cell, input.c_str());
}

void ReportDroppedWire(int32_t id, const std::string& input) {
    if (!TDroppedWires::Add(id, input))
        ShowDroppedWire(id & 0xFFFF, int(uint32_t(id) >> 16), input);
}

void ReportDroppedWire(int32_t id, int input) {
    ReportDroppedWire(id, InputNumberText(input));
}

std::string InputNumberText(int input) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", input);
    return text;
}

TBlockFactory FindBlockClass(const std::string& alias) {
    static const std::map<std::string, TBlockFactory> classes = {{"GraphBlock", NewGraphBlock},
                                                                 {"TextBlock", NewTextBlock}};
    auto found = classes.find(alias);
    return found == classes.end() ? nullptr : found->second;
}

QColor ColorFromWindows(uint32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

uint32_t ColorToWindows(const QColor& color) {
    return uint32_t(color.red()) | uint32_t(color.green()) << 8 | uint32_t(color.blue()) << 16;
}

// ---- engine-bound blocks

TGraphBlock::TGraphBlock(int32_t id, EngineHandle engine) : TBlock(id, engine), Engine(engine) {}

TGraphBlock::~TGraphBlock() = default;

std::unique_ptr<TGraphBlock> TGraphBlock::CreateTyped(int32_t id, EngineHandle engine, int typeId) {
    auto block = std::make_unique<TGraphBlock>(id, engine);
    block->TypeId = typeId;
    block->TakeCatalogueBitmap();
    block->UpdateSize();
    return block;
}

bool TGraphBlock::UnknownType() const {
    return !HasType || (!BlockCatalogue().Types().empty() && FindBlockTyp(TypeId) == nullptr);
}

void TGraphBlock::TakeCatalogueBitmap() {
    OwnBitmap = false;
    ownBitmap_ = QImage();
    bitmap_ = GetBlockBitmap(TypeId);
}

void TGraphBlock::AssignTo(TBlock& target) const {
    TBlock::AssignTo(target);
    auto& copy = static_cast<TGraphBlock&>(target);
    copy.TypeId = TypeId;
    copy.HasType = HasType;
    copy.TakeCatalogueBitmap();
    copy.BmpFile = BmpFile;
    // The picture loaded, not its file read again: a copy never reports a picture.
    if (OwnBitmap) {
        copy.OwnBitmap = true;
        copy.ownBitmap_ = ownBitmap_;
        copy.bitmap_ = &copy.ownBitmap_;
    }
    for (int i = 0; i < MaxInputs; ++i) {
        std::unique_ptr<TInputLine> wire;
        if (inputs_[i]) {
            wire = std::make_unique<TInputLine>();
            wire->Assign(*inputs_[i]);
            wire->Hidden = false;
        }
        copy.SetInputLine(i, std::move(wire));
    }
    copy.ParamText = ParamText;
    copy.HasParam = HasParam;
    copy.IndexLabel = IndexLabel;
}

TRect TGraphBlock::GetWiresRect() const {
    TRect r;
    for (const auto& wire : inputs_) {
        if (wire)
            r = UnionRects(r, wire->Bounds);
    }
    return r;
}

TInputLine* TGraphBlock::GetInput(int index) const {
    return index >= 0 && index < MaxInputs ? inputs_[index].get() : nullptr;
}

void TGraphBlock::SetInputLine(int index, std::unique_ptr<TInputLine> wire) {
    if (index < 0 || index >= MaxInputs)
        return;
    inputs_[index] = std::move(wire);
    CountInputs();
}

void TGraphBlock::CountInputs() {
    InputCount = 0;
    for (const auto& wire : inputs_)
        InputCount += wire ? 1 : 0;
}

bool TGraphBlock::RerouteWireStarts(const std::vector<TBlock*>& blocks) {
    bool moved = false;
    for (const auto& wire : inputs_) {
        if (!wire)
            continue;
        for (TBlock* block : blocks) {
            if (block->ID == wire->SourceId && wire->RouteStart(block->Rect))
                moved = true;
        }
    }
    return moved;
}

bool TGraphBlock::RerouteWireEnds() {
    bool moved = false;
    for (const auto& wire : inputs_) {
        if (wire && wire->RouteEnd(Rect))
            moved = true;
    }
    return moved;
}

bool TGraphBlock::CanEditData(int kind) const {
    if (kind == 0)
        return MoltraneGetBlockParam(Engine, ID) != nullptr;
    if (kind == 1)
        return MoltraneHasBlockUserBitmap(Engine, ID);
    return false;
}

bool TGraphBlock::CanBeWireSource() const {
    return MoltraneCanConnectBlocks(Engine, ID, 0);
}

bool TGraphBlock::HasMapCode() const {
    return MoltraneGetMapCode(Engine, ID) > 0;
}

bool TGraphBlock::InputHitTest(QPoint p, int& index, TInputLine*& wire) const {
    for (int i = 0; i < MaxInputs; ++i) {
        if (inputs_[i] && inputs_[i]->HitTest(p)) {
            index = i;
            wire = inputs_[i].get();
            return true;
        }
    }
    return TBlock::InputHitTest(p, index, wire);
}

bool TGraphBlock::DropInputsFrom(const std::vector<TBlock*>& blocks) {
    bool dropped = false;
    for (int i = 0; i < MaxInputs; ++i) {
        if (!inputs_[i])
            continue;
        for (TBlock* block : blocks) {
            if (block->ID == inputs_[i]->SourceId) {
                SetInputLine(i, nullptr);
                dropped = true;
                break;
            }
        }
    }
    return dropped;
}

bool TGraphBlock::HasInputFrom(const std::vector<TBlock*>& blocks) const {
    for (const auto& wire : inputs_) {
        if (!wire)
            continue;
        for (TBlock* block : blocks) {
            if (block->ID == wire->SourceId)
                return true;
        }
    }
    return false;
}

void TGraphBlock::DrawWires(QPainter& canvas) const {
    canvas.save();
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const auto& wire : inputs_) {
        if (wire)
            wire->Draw(canvas);
    }
    canvas.restore();
}

void TGraphBlock::Draw(QPainter& canvas) const {
    const TCellDisplay& display = CellDisplay();
    canvas.save();
    const QRect target(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
    if (bitmap_ && !bitmap_->isNull()) {
        // Magenta is the pictures' transparent colour; the cell background shows through.
        QImage picture = bitmap_->convertToFormat(QImage::Format_ARGB32);
        const QRgb magenta = qRgb(255, 0, 255);
        const QRgb background = display.CellBackgnd.rgb();
        for (int y = 0; y < picture.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x) {
                if ((row[x] & 0xFFFFFF) == (magenta & 0xFFFFFF))
                    row[x] = background;
            }
        }
        canvas.drawImage(target, picture);
        if (display.BlockIndicesVisible && !IndexLabel.empty()) {
            const QString label = platform::AnsiToQString(IndexLabel);
            const QFontMetrics metrics(canvas.font());
            const int width = metrics.horizontalAdvance(label);
            canvas.fillRect(QRect(Rect.Right - width - 4, Rect.Top, width + 4, metrics.height()),
                            display.IndexBackgnd);
            canvas.setPen(display.IndexColor);
            canvas.drawText(Rect.Right - 2 - width, Rect.Top + metrics.ascent(), label);
        }
    } else {
        const QFontMetrics metrics(canvas.font());
        QString text =
            ParamText.empty() ? QStringLiteral("???") : platform::AnsiToQString(ParamText);
        int available = Rect.Width() - 2;
        if (metrics.horizontalAdvance(text) > available) {
            text = text.left(12);
            available -= metrics.horizontalAdvance(QStringLiteral("..."));
            // A rectangle narrower than "..." leaves the dots alone.
            while (!text.isEmpty() && metrics.horizontalAdvance(text) > available)
                text.chop(1);
            text += QStringLiteral("...");
        }
        canvas.setBrush(Qt::yellow);
        canvas.setPen(QPen(display.CellGridColor, 1));
        canvas.drawRect(Rect.Left + 1, Rect.Top + 1, Rect.Width() - 3, Rect.Height() - 3);
        canvas.setBrush(Qt::NoBrush);
        canvas.setPen(QColor(0, 0, 128));
        canvas.setClipRect(target, Qt::IntersectClip);
        const int x = Rect.Left + Rect.Width() / 2 - metrics.horizontalAdvance(text) / 2;
        const int y = Rect.Top + (Rect.Height() - metrics.height()) / 2;
        canvas.drawText(x, y + metrics.ascent(), text);
    }
    canvas.restore();
}

bool TGraphBlock::EditData(int kind, bool& changed) {
    changed = false;
    if (kind == 0)
        return EditParam(changed);
    if (kind == 1)
        return EditBitmap(changed);
    return false;
}

void TGraphBlock::ShiftIds(int32_t delta) {
    ID += delta;
    for (auto& wire : inputs_) {
        if (wire)
            wire->SourceId += delta;
    }
}

bool TGraphBlock::MoveBy(QPoint offset) {
    const bool moved = TBlock::MoveBy(offset);
    const bool rerouted = RerouteWireEnds();
    return moved || rerouted;
}

void TGraphBlock::MoveWithWires(QPoint offset) {
    TBlock::MoveWithWires(offset);
    for (auto& wire : inputs_) {
        if (wire)
            wire->MoveAll(offset);
    }
}

bool TGraphBlock::MoveInGroup(const TBlockList& cell, const std::vector<TBlock*>& selection,
                              QPoint offset) {
    bool result = false;
    const bool selfSelected =
        std::find(selection.begin(), selection.end(), this) != selection.end();
    for (auto& wire : inputs_) {
        if (!wire)
            continue;
        TBlock* source = cell.FindBlock(wire->SourceId);
        if (source && std::find(selection.begin(), selection.end(), source) != selection.end()) {
            result = true;
            if (selfSelected)
                wire->MoveBends(offset);
            wire->RouteStart(source->Rect);
        }
        if (wire->RouteEnd(Rect))
            result = true;
    }
    return result;
}

void TGraphBlock::UpdateSize() {
    if (!bitmap_)
        return;
    if (bitmap_->width() == 0 || bitmap_->height() == 0) {
        if (!OwnBitmap)
            bitmap_ = nullptr;
        return;
    }
    SetRectSize(Rect, bitmap_->width(), bitmap_->height());
}

void TGraphBlock::SetCellNumber(uint16_t cell) {
    TBlock::SetCellNumber(cell);
    for (auto& wire : inputs_) {
        if (wire)
            wire->SourceId =
                static_cast<int32_t>((uint32_t(cell) << 16) | (uint32_t(wire->SourceId) & 0xFFFF));
    }
}

void TGraphBlock::GetData(int kind, std::string& text) const {
    if (kind == 0)
        text = ParamText;
    else if (kind == 1)
        text = BmpFile;
    else
        throw EBlockError("Interner Fehler in TGraphBlock.GetData");
}

bool TGraphBlock::SetData(int kind, const std::string& text) {
    if (kind == 0) {
        ParamText = text;
        HasParam = true;
        const bool ok = MoltraneSetBlockParam(Engine, ID, text.c_str());
        // The label follows the parameter whoever sets it: the dialog, undo or redo.
        bool labelChanged = false;
        UpdateIndexLabel(labelChanged);
        return ok;
    }
    if (kind == 1) {
        SetBmpFile(text);
        return true;
    }
    throw EBlockError("Interner Fehler in TGraphBlock.SetData");
}

bool TGraphBlock::LoadBaseLines(const TLines& lines, size_t& index) {
    const bool ok = TBlock::LoadBaseLines(lines, index);
    while (index < lines.size() && lines[index].size() >= 6 && lines[index].starts_with("IN"))
        LoadWireLine(lines[index++]);
    return ok;
}

void TGraphBlock::LoadWireLine(std::string_view line) {
    // A wire that cannot be read is the wire's fault: it is dropped, the block stays.
    int input = -1;
    const bool numbered = line.size() >= 6 && ParseInt(line.substr(2, 2), input) && line[4] == '=';
    // Named as the line names it where it holds no number.
    const std::string number = numbered ? InputNumberText(input) : std::string(line.substr(2, 2));
    auto wire = std::make_unique<TInputLine>();
    const TWireRead read = numbered ? wire->FromText(line.substr(5)) : TWireRead::Failed;
    if (input < 0 || input >= MaxInputs || read == TWireRead::Failed) {
        ReportDroppedWire(ID, number);
        return;
    }
    if (read == TWireRead::Cut)
        ShowErrorFmt("Block %d in Zelle %d: Verbindung an Eingang %s auf %d Punkte "
                     "gek\xC3\xBCrzt!",
                     ID & 0xFFFF, int(uint32_t(ID) >> 16), number.c_str(), MaxWirePoints);
    SetInputLine(input, std::move(wire));
}

TBlock::TOwnLine TGraphBlock::LoadOwnLine(const TLines& lines, size_t& index, size_t end) {
    const std::string& line = lines[index];
    // A line that begins with "IN" is a wire, whatever else it holds.
    if (line.starts_with("IN")) {
        LoadWireLine(lines[index++]);
        return TOwnLine::Read;
    }
    if (line.starts_with("TYPE=")) {
        ++index;
        if (reading_.type)
            return TOwnLine::Repeated;
        int type = 0;
        if (!ParseInt(std::string_view(line).substr(5, 10), type))
            return TOwnLine::Failed;
        TypeId = type;
        TakeCatalogueBitmap();
        reading_.type = true;
        return TOwnLine::Read;
    }
    if (line == "#DLLDATA_START") {
        // Without its end the text stops at the block's own end: the next block is not taken in.
        size_t stop = ++index;
        while (stop < end && lines[stop] != "#DLLDATA_END")
            ++stop;
        const bool ended = stop < end;
        const size_t first = index;
        index = ended ? stop + 1 : stop;
        if (HasParam)
            return TOwnLine::Repeated;
        std::string text;
        for (size_t i = first; i < stop; ++i)
            text += UnescapeTextLine(lines[i]) + "\r\n";
        if (text.size() > 2)
            text.resize(text.size() - 2);
        ParamText = text;
        HasParam = true;
        return ended ? TOwnLine::Read : TOwnLine::Failed;
    }
    if (line == "#DLLDATA_END") {
        ++index;
        return TOwnLine::Repeated;
    }
    if (line.starts_with("BmpFile=")) {
        ++index;
        if (reading_.bitmap)
            return TOwnLine::Repeated;
        // Taken once the rectangle is read: the picture sets the size and the wire ends.
        reading_.bitmap = std::string(line.substr(8));
        return TOwnLine::Read;
    }
    return TOwnLine::None;
}

TBlock::TOwnLine TGraphBlock::LoadFreeLines(std::vector<std::string_view>&) {
    // A block without a type line keeps the line behind it (its end, as a rule).
    HasType = reading_.type;
    if (reading_.bitmap)
        SetBmpFile(*reading_.bitmap);
    reading_ = {};
    return HasType ? TOwnLine::Read : TOwnLine::Failed;
}

bool TGraphBlock::SaveBaseLines(TLines& lines) const {
    TBlock::SaveBaseLines(lines);
    for (int i = 0; i < MaxInputs; ++i) {
        if (!inputs_[i])
            continue;
        char number[8];
        std::snprintf(number, sizeof number, "IN%02d=", i);
        lines.push_back(number + inputs_[i]->AsText());
    }
    return true;
}

bool TGraphBlock::SaveOwnLines(TLines& lines) const {
    if (HasType)
        lines.push_back("TYPE=" + std::to_string(TypeId));
    if (!ParamText.empty() || HasParam) {
        lines.push_back("#DLLDATA_START");
        // A section of one empty line reads as CR LF, and so that text is written.
        if (ParamText == "\r\n")
            lines.push_back("");
        else if (!ParamText.empty()) {
            for (const std::string& line : ParamLines(ParamText))
                lines.push_back(EscapeTextLine(line));
        }
        lines.push_back("#DLLDATA_END");
    }
    // Written as stored, also when the file was not found: the user's choice stays.
    if (!BmpFile.empty())
        lines.push_back("BmpFile=" + BmpFile);
    return true;
}

bool TGraphBlock::SyncWithEngine(bool addPass, const TBlockList* cell) {
    bool result = true;
    bool labelChanged = false;
    if (addPass) {
        // A type the catalogue lacks has no engine twin; the block stays in its cell as read.
        result = !UnknownType() && MoltraneAddBlock(Engine, TypeId, ID) == 1;
        InEngine = result;
        EngineRefused = !result && !UnknownType();
        if (result)
            UpdateIndexLabel(labelChanged);
        return result;
    }
    if (!InEngine)
        return false;
    for (int i = 0; i < MaxInputs; ++i) {
        TInputLine* wire = inputs_[i].get();
        if (!wire)
            continue;
        // A wire from a file reaches the engine only when the engine would have drawn it.
        const TBlock* source = cell ? cell->FindBlock(wire->SourceId) : nullptr;
        // A wire from a block the engine lacks stays in the cell, unconnected.
        if (source && source != this && source->ID == wire->SourceId && source->KindCode() == 2 &&
            !static_cast<const TGraphBlock*>(source)->InEngine) {
            result = false;
            continue;
        }
        bool valid = source && source != this && source->KindCode() == 2 &&
                     static_cast<const TGraphBlock*>(source)->InEngine &&
                     (uint32_t(wire->SourceId) >> 16) == (uint32_t(ID) >> 16) &&
                     source->ID == wire->SourceId;
        if (valid) {
            const char* flags = MoltraneGetBlockInputMenuFlags(Engine, wire->SourceId, ID);
            valid = flags && std::strlen(flags) > size_t(i) && flags[i] == ' ' &&
                    MoltraneCanConnectBlocks(Engine, wire->SourceId, ID);
        }
        if (!valid) {
            ReportDroppedWire(ID, i);
            SetInputLine(i, nullptr);
            result = false;
            EngineRefused = true;
            continue;
        }
        const int r = MoltraneConnectBlocks(Engine, wire->SourceId, ID, short(i));
        if ((r >> 16) != i || (r & 0xFFFF) != wire->Kind) {
            ShowError(QStringLiteral("Fehler bei MoltraneConnectBlocks!"));
            result = false;
            // Connected all the same: the wire takes the engine's kind, the next open is quiet.
            if ((r >> 16) == i && (r & 0xFFFF) != 0)
                wire->Kind = static_cast<int8_t>(r & 0xFF);
            else
                EngineRefused = true;
        }
    }
    // The engine's answer, not the text it keeps: it may keep a text it refused.
    if ((!ParamText.empty() || HasParam) && !MoltraneSetBlockParam(Engine, ID, ParamText.c_str())) {
        result = false;
        EngineRefused = true;
    }
    UpdateIndexLabel(labelChanged);
    return result;
}

void TGraphBlock::RemoveFromEngine() {
    if (!InEngine)
        return;
    InEngine = false;
    try {
        MoltraneRemoveBlock(Engine, ID);
    } catch (...) {
        ShowError(QString::fromUtf8("Fehler beim L\xC3\xB6schen des Blocks in der DLL!"));
    }
}

bool TGraphBlock::CanConnectFrom(const TBlock& source) const {
    if (&source == this)
        return false;
    return MoltraneCanConnectBlocks(Engine, source.ID, ID);
}

bool TGraphBlock::ConnectInput(int mode, int& index, std::unique_ptr<TInputLine> wire) {
    bool result = false;
    switch (mode) {
    case 0: {
        if (!wire)
            return false;
        const int r = MoltraneConnectBlocks(Engine, wire->SourceId, ID, short(index));
        // Kind 0: the engine refused the wire; the input keeps what it had.
        if ((r & 0xFFFF) == 0)
            return false;
        if (index >= 0) {
            result = (r >> 16) == index;
            wire->InputLetter = static_cast<int8_t>(index);
        } else {
            wire->InputLetter = -1;
            index = r >> 16;
            result = true;
        }
        wire->Kind = static_cast<int8_t>(r & 0xFF);
        wire->UpdateBounds();
        break;
    }
    case 1:
        result = true;
        break;
    case 2:
        if (GetInput(index)) {
            MoltraneSplitBlockConnection(Engine, ID, short(index));
            wire.reset();
        }
        result = true;
        break;
    default:
        break;
    }
    SetInputLine(index, std::move(wire));
    return result;
}

std::string TGraphBlock::InputAsText(int index) const {
    const TInputLine* wire = GetInput(index);
    return wire ? wire->AsText() : std::string();
}

std::unique_ptr<TBlock> TGraphBlock::CreateSame(int32_t id, EngineHandle engine) const {
    return std::make_unique<TGraphBlock>(id, engine);
}

void TGraphBlock::FetchParam() {
    const char* text = MoltraneGetBlockParam(Engine, ID);
    ParamText = text ? text : "";
    HasParam = text != nullptr;
}

bool TGraphBlock::EditParam(bool& sizeChanged) {
    const bool ok = MoltraneEditBlockParam(Engine, ID);
    FetchParam();
    bool labelChanged = false;
    UpdateIndexLabel(labelChanged);
    sizeChanged = ok && (!bitmap_ || labelChanged);
    return ok;
}

bool TGraphBlock::EditBitmap(bool& changed) {
    changed = false;
    TBlockBitmapDlg dialog(platform::DialogOwner());
    dialog.SetFileName(platform::AnsiToQString(BmpFile));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    SetBmpFile(platform::QStringToAnsi(dialog.FileName()));
    changed = true;
    return true;
}

void TGraphBlock::SetBmpFile(const std::string& name) {
    if (OwnBitmap && name.empty())
        TakeCatalogueBitmap();
    else if (!OwnBitmap && !name.empty()) {
        OwnBitmap = true;
        ownBitmap_ = QImage();
        bitmap_ = &ownBitmap_;
    }
    BmpFile = name;
    if (!name.empty()) {
        // A name longer than any path is not looked up; it is kept for the save all the same.
        const QString path = name.size() > MaxNameUsed
                                 ? platform::AnsiToQString(name.substr(0, MaxNameUsed))
                                 : FindBitmapFile(platform::AnsiToQString(name));
        if (name.size() > MaxNameUsed || !ownBitmap_.load(path)) {
            // The name stays and is read again with every undo, which does not report it.
            if (!TReadBackScope::Active())
                ShowError(QStringLiteral("Die Bitmapdatei %1 kann nicht geladen werden.")
                              .arg(MessageQuote(path)));
            TakeCatalogueBitmap();
        } else {
            bitmap_ = &ownBitmap_;
        }
    }
    // The wire ends follow a new size only: a block read keeps its wires as they were written.
    const TRect old = Rect;
    UpdateSize();
    if (Rect != old)
        RerouteWireEnds();
}

void TGraphBlock::UpdateIndexLabel(bool& changed) {
    changed = false;
    const char* text = MoltraneGetIndexDescription(Engine, ID);
    if (!text)
        return;
    const std::string label = std::string(text).substr(0, 3);
    changed = label != IndexLabel;
    IndexLabel = label;
}

// ---- comments

TTextBlock::TTextBlock(int32_t id, EngineHandle engine) : TBlock(id, engine) {
    const TCellDisplay& display = CellDisplay();
    FontName = display.CommentFontName;
    FontSize = display.CommentFontSize;
    FontStyle = display.CommentFontStyle;
    FontColor = ColorToWindows(display.CellComment);
    Text = "Kommentar";
    UpdateSize();
}

void TTextBlock::AssignTo(TBlock& target) const {
    TBlock::AssignTo(target);
    auto& copy = static_cast<TTextBlock&>(target);
    copy.Text = Text;
    copy.FontName = FontName;
    copy.FontSize = FontSize;
    copy.FontColor = FontColor;
    copy.FontStyle = FontStyle;
}

QFont TTextBlock::Font() const {
    // A damaged file's name may be megabytes long; no font bears a name that long.
    QFont font(platform::AnsiToQString(std::string_view(FontName).substr(0, MaxNameUsed)));
    font.setPointSize(FontSize > 0 && FontSize <= MaxFontSize ? FontSize : 8);
    font.setBold(FontStyle & Bold);
    font.setItalic(FontStyle & Italic);
    font.setUnderline(FontStyle & Underline);
    font.setStrikeOut(FontStyle & StrikeOut);
    return font;
}

void TTextBlock::SetFont(const QFont& font, uint32_t color) {
    FontName = platform::QStringToAnsi(font.family());
    FontSize = font.pointSize();
    FontColor = color;
    FontStyle = (font.bold() ? Bold : 0) | (font.italic() ? Italic : 0) |
                (font.underline() ? Underline : 0) | (font.strikeOut() ? StrikeOut : 0);
}

void TTextBlock::Draw(QPainter& canvas) const {
    canvas.save();
    const QFont font = Font();
    canvas.setFont(font);
    canvas.setPen(ColorFromWindows(FontColor));
    canvas.setBrush(Qt::NoBrush);
    const QFontMetrics metrics(font);
    canvas.drawText(Rect.Left, Rect.Top + metrics.ascent(), ShownText(metrics));
    canvas.restore();
}

bool TTextBlock::EditData(int kind, bool& changed) {
    changed = false;
    return kind == 0 && EditDialog(changed);
}

QString TTextBlock::ShownText(const QFontMetrics& metrics) const {
    // Measured piece by piece: a text of a damaged file may be megabytes long.
    constexpr size_t Piece = 4096;
    if (Text.size() <= Piece)
        return platform::AnsiToQString(Text);
    QString shown;
    int width = 0;
    for (size_t at = 0; at < Text.size() && Rect.Left + width <= CellDrawingArea; at += Piece) {
        const QString piece = platform::AnsiToQString(Text.substr(at, Piece));
        width += metrics.horizontalAdvance(piece);
        shown += piece;
    }
    return shown;
}

void TTextBlock::UpdateSize() {
    const QFontMetrics metrics(Font());
    SetRectSize(Rect, metrics.horizontalAdvance(ShownText(metrics)), metrics.height());
}

void TTextBlock::GetData(int kind, std::string& text) const {
    if (kind != 0)
        throw EBlockError("Interner Fehler in TTextBlock.GetData");
    text = Text + "\r\n" + FontAsText();
}

bool TTextBlock::SetData(int kind, const std::string& text) {
    if (kind != 0)
        throw EBlockError("Interner Fehler in TTextBlock.SetData");
    const size_t at = text.find("\r\n");
    if (at == std::string::npos)
        return false;
    Text = text.substr(0, at);
    const bool ok = FontFromText(text.substr(at + 2));
    UpdateSize();
    return ok;
}

TBlock::TOwnLine TTextBlock::LoadFreeLines(std::vector<std::string_view>& free) {
    // The font is the last "Font=" line, for the text may begin so too; without one it is the
    // line behind the text. The text is the first line besides it.
    size_t font = free.size();
    for (size_t i = free.size(); i-- > 0;) {
        if (free[i].starts_with("Font=")) {
            font = i;
            break;
        }
    }
    if (font == free.size() && free.size() >= 2)
        font = 1;
    const size_t text = font == 0 ? 1 : 0;
    const bool hasText = text < free.size(), hasFont = font < free.size();
    if (hasText)
        Text = UnescapeTextLine(std::string(free[text]));
    const bool ok = hasFont && FontFromText(std::string(free[font]));
    for (const size_t i : {std::max(text, font), std::min(text, font)}) {
        if (i < free.size())
            free.erase(free.begin() + std::ptrdiff_t(i));
    }
    if (!hasText || !hasFont)
        return TOwnLine::Missing;
    return ok ? TOwnLine::Read : TOwnLine::Failed;
}

bool TTextBlock::SaveOwnLines(TLines& lines) const {
    lines.push_back(EscapeTextLine(Text));
    lines.push_back(FontAsText());
    return true;
}

std::unique_ptr<TBlock> TTextBlock::CreateSame(int32_t id, EngineHandle engine) const {
    return std::make_unique<TTextBlock>(id, engine);
}

std::string TTextBlock::FontAsText() const {
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, ",%d,%d,%d,%d,%d,%d", FontSize, int(FontColor),
                  (FontStyle & Bold) ? 1 : 0, (FontStyle & Italic) ? 1 : 0,
                  (FontStyle & Underline) ? 1 : 0, (FontStyle & StrikeOut) ? 1 : 0);
    return "Font=" + FontName + numbers;
}

bool TTextBlock::FontFromText(const std::string& line) {
    TTokenString tokens;
    tokens.SetText(line);
    if (!tokens.SkipPast('='))
        tokens.SkipRest();
    tokens.SetSeparator(',');
    // Field by field: a bad or missing one keeps its present value, the others are taken.
    bool whole = tokens.NextToken(FontName);
    int values[6] = {FontSize,
                     int(FontColor),
                     (FontStyle & Bold) ? 1 : 0,
                     (FontStyle & Italic) ? 1 : 0,
                     (FontStyle & Underline) ? 1 : 0,
                     (FontStyle & StrikeOut) ? 1 : 0};
    for (int i = 0; i < 6; ++i) {
        int value = 0;
        if (tokens.NextInt(value) && (i != 0 || (value > 0 && value <= MaxFontSize)))
            values[i] = value;
        else
            whole = false;
    }
    FontSize = values[0];
    FontColor = uint32_t(values[1]);
    FontStyle = (values[2] == 1 ? Bold : 0) | (values[3] == 1 ? Italic : 0) |
                (values[4] == 1 ? Underline : 0) | (values[5] == 1 ? StrikeOut : 0);
    UpdateSize();
    if (!whole && !TReadBackScope::Active())
        ShowErrorFmt("Block %d in Zelle %d: ung\xC3\xBCltige Werte der Schriftangabe durch die "
                     "Voreinstellung ersetzt!",
                     ID & 0xFFFF, int(uint32_t(ID) >> 16));
    return whole;
}

bool TTextBlock::EditDialog(bool& changed) {
    changed = false;
    TCommentBlockDlg dialog(platform::DialogOwner());
    dialog.SetText(platform::AnsiToQString(Text));
    dialog.SetCommentFont(Font(), ColorFromWindows(FontColor));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const std::string text = platform::QStringToAnsi(dialog.Text());
    if (text != Text) {
        Text = text;
        changed = true;
    }
    const QFont font = dialog.CommentFont();
    // A colour the dialog left as shown stays as stored, also one it cannot show exactly.
    const uint32_t color = dialog.CommentColor() == ColorFromWindows(FontColor)
                               ? FontColor
                               : ColorToWindows(dialog.CommentColor());
    if (font.family().compare(Font().family(), Qt::CaseInsensitive) != 0 ||
        font.pointSize() != FontSize || color != FontColor ||
        font.bold() != bool(FontStyle & Bold) || font.italic() != bool(FontStyle & Italic) ||
        font.underline() != bool(FontStyle & Underline) ||
        font.strikeOut() != bool(FontStyle & StrikeOut)) {
        SetFont(font, color);
        changed = true;
    }
    if (changed)
        UpdateSize();
    return true;
}

namespace {
constexpr int kCommentHelpContext = 7000;
} // namespace

void TGraphBlock::ShowHelp() const {
    ShowHelpTopic(TypeId);
}

void TTextBlock::ShowHelp() const {
    ShowHelpTopic(kCommentHelpContext);
}
