#include "graphical/model/quendalmodel.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "framework/desktop.h"
#include "framework/mdichild.h"
#include "framework/printing.h"
#include "framework/utils.h"
#include "graphical/model/simulatoriostate.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"
#include "platform/system.h"

namespace {

const char* const Signature = "MIRELT Tavrissel plus - project file";
const char* const CommentStart = "#COMMENT_START";
const char* const CommentEnd = "#COMMENT_END";
const char* const TableStart = "#TABLE_START";
const char* const TableEnd = "#TABLE_END";
const char* const CellStart = "#CELL_START";
const char* const CellEnd = "#CELL_END";

QString Ansi(const std::string& text) {
    return platform::AnsiToQString(text);
}

bool Contains(const std::string& line, const char* what) {
    return line.find(what) != std::string::npos;
}

// A comment line that would end its section early, or would not survive the line split, is
// written in the escaped form; every other line stays as older files have it.
std::string CommentLineOut(const std::string& line) {
    const bool escape = Contains(line, CommentEnd) || (!line.empty() && line[0] == '\x1B') ||
                        line.find_first_of("\r\n") != std::string::npos;
    return escape ? EscapeTextLine(line, true) : line;
}

// Lines end at LF; a CR before it belongs to the line end.
TLines SplitFileLines(const QByteArray& data) {
    TLines lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = data.size();
        qsizetype stop = end;
        if (!last && stop > start && data[stop - 1] == '\r')
            --stop;
        lines.emplace_back(data.constData() + start, size_t(stop - start));
        start = end + 1;
    }
    return lines;
}

bool IsSectionStart(const std::string& line) {
    return line == TableStart || line == CellStart;
}

// Collects the lines up to the end marker and steps past it, or up to the next section's start,
// which always begins a section of its own; false when the end marker is missing. The empty
// lines the writer puts between sections are not taken into an unended one.
bool CollectSection(const TLines& lines, size_t& index, const char* endMarker, TLines& section) {
    while (index < lines.size() && lines[index] != endMarker && !IsSectionStart(lines[index]))
        section.push_back(lines[index++]);
    if (index < lines.size() && lines[index] == endMarker) {
        ++index;
        return true;
    }
    while (!section.empty() && section.back().empty())
        section.pop_back();
    return false;
}

// A file cut off inside a section opens with what it holds; the user is warned.
void ShowMissingEnd(const char* marker, const QString& fileName) {
    ShowWarning(QStringLiteral("Fehlendes %1 in %2!").arg(QLatin1String(marker), fileName));
}

// Every number a cell section of the file begins with. A cell whose number an earlier one has
// taken gets a number that none of them names: no later cell is moved on its account.
std::vector<bool> CellNumbersOfFile(const TLines& lines) {
    std::vector<bool> named(MaxCellNumber + 1, false);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        int number = 0;
        if (lines[i] == CellStart && lines[i + 1].compare(0, 3, "ID=") == 0 &&
            ParseInt(lines[i + 1].substr(3), number) && number >= 1 && number <= MaxCellNumber)
            named[size_t(number)] = true;
    }
    return named;
}

// The cell and its blocks, with their wires' sources, move into another number; a default
// name follows the number.
void MoveCellIntoNumber(TBlockList& cell, int number) {
    if (cell.CellNumber == number)
        return;
    if (cell.Name == "Zelle " + std::to_string(cell.CellNumber))
        cell.Name = "Zelle " + std::to_string(number);
    cell.CellNumber = uint16_t(number);
    for (int i = 0; i < cell.Count(); ++i)
        cell.Get(i)->SetCellNumber(uint16_t(number));
}

} // namespace

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TWatchEntry> TWatchEntry::CreateForBlock(EngineHandle engine, BlockHandle block) {
    const char* name = MoltraneGetSymbolicName(engine, block);
    if (!name)
        return nullptr;
    return CreateFromDesktop(engine, MoltraneGetMapCode(engine, block), name);
}

std::unique_ptr<TWatchEntry> TWatchEntry::CreateFromDesktop(EngineHandle engine, MapCode mapCode,
                                                            const std::string& name) {
    auto watch = std::make_unique<TWatchEntry>();
    watch->Engine = engine;
    watch->Name = name;
    watch->Code = mapCode;
    watch->Value = MoltraneGetValue(engine, mapCode);
    return watch;
}

void TWatchEntry::Refresh() {
    const int32_t value = MoltraneGetValue(Engine, Code);
    Changed = value != Value;
    Value = value;
}

// ---------------------------------------------------------------------------------------------

TQuendalModel::TQuendalModel() : TModel(false) {
    Engine = MoltraneCreate();
    if (!Engine) {
        platform::MessageBeep(platform::BeepKind::Hand);
        platform::MessageBox(platform::BoxKind::Error,
                             QStringLiteral("Fehler bei Objekterstellung in der DLL - kritischer "
                                            "Abbruch!"),
                             static_cast<platform::Buttons>(platform::Button::Ok));
        throw EAbort();
    }
    ResetSimulation(); // sends the options and the initial port levels first
    SimState = ssChanged;
}

TQuendalModel::~TQuendalModel() {
    FreeData();
}

void TQuendalModel::FreeData() {
    Watches.clear();
    TerminalLines.clear();
    Comment.clear();
    Tables.clear();
    // The cells go before the engine that holds their pages.
    Cells.clear();
    if (Engine) {
        MoltraneDestroy(Engine);
        Engine = nullptr;
    }
    TModel::FreeData();
}

bool TQuendalModel::CloseQuery() {
    if (SimState == ssRunning || SimState == ssStepping || SimState == ssPaused) {
        platform::MessageBeep(platform::BeepKind::Exclamation);
        DoSimCommand(cmStop);
        return false;
    }
    if (SimState == ssStopped) {
        platform::MessageBeep(platform::BeepKind::Question);
        if (platform::MessageBox(platform::BoxKind::Confirmation,
                                 QStringLiteral("Soll die laufende Simulation abgebrochen werden?"),
                                 platform::Button::Yes | platform::Button::No) !=
            platform::Button::Yes)
            return false;
    }
    return TModel::CloseQuery();
}

bool TQuendalModel::InitNew() {
    Comment = {"Beschreiben Sie hier den Zweck", "und die Besonderheiten Ihres Programms..."};
    return true;
}

void TQuendalModel::GetFileDialogStrings(QString& filter, QString& defaultExt) {
    defaultExt = QStringLiteral("mtp");
    filter = QStringLiteral("Tavrissel plus Dateien (*.mtp)|*.mtp|");
}

QString TQuendalModel::GetUntitledName() {
    return QStringLiteral("Unbenannte Programmdatei");
}

// ---------------------------------------------------------------------------------------------

TBlockList* TQuendalModel::GetCell(int index) const {
    return index >= 0 && index < CellCount() ? Cells[size_t(index)].get() : nullptr;
}

TConversionTable* TQuendalModel::GetTable(int index) const {
    return index >= 0 && index < TableCount() ? Tables[size_t(index)].get() : nullptr;
}

TWatchEntry* TQuendalModel::GetWatch(int index) const {
    return index >= 0 && index < WatchCount() ? Watches[size_t(index)].get() : nullptr;
}

std::string TQuendalModel::GetTerminalLine(int index) const {
    return index >= 0 && index < TerminalLineCount() ? TerminalLines[size_t(index)] : std::string();
}

int TQuendalModel::IndexOfCell(int number) const {
    for (int i = 0; i < CellCount(); ++i) {
        if (Cells[size_t(i)]->CellNumber == number)
            return i;
    }
    return -1;
}

TBlockList* TQuendalModel::FindCell(int number) const {
    return GetCell(IndexOfCell(number));
}

int TQuendalModel::IndexOfTable(int number) const {
    return number >= 1 && number <= TableCount() ? number - 1 : -1;
}

TConversionTable* TQuendalModel::FindTable(int number) const {
    return GetTable(IndexOfTable(number));
}

TBlock* TQuendalModel::FindBlock(BlockHandle handle) const {
    const TBlockList* cell = FindCell(int(uint32_t(handle) >> 16));
    return cell ? cell->FindBlock(handle) : nullptr;
}

void TQuendalModel::SetCurrentItem(int32_t item) {
    NotifyViews(nmCurrentItem, 0);
    CurrentItem = item;
    NotifyViews(nmCurrentItem, 1);
}

// Written without an undo action: undoing other edits must not clear Modified behind it.
void TQuendalModel::SetComment(const TLines& lines) {
    if (lines == Comment)
        return;
    Comment = lines;
    SetModified(true);
    SetModifiedBeyondUndo();
}

// ---------------------------------------------------------------------------------------------

void TQuendalModel::SendEngineOptions() {
    MoltraneSetOptions(Engine, SimulatorOptionWord());
    SimOptionsChanged = false;
    MoltraneSetInitialPortState(Engine, SimulatorIoState.InitialPortLevels);
    SimulatorIoState.InitialPortsPending = false;
}

bool TQuendalModel::PrepareTables() {
    for (const auto& table : Tables) {
        if (!table->LoadExternal())
            return false;
    }
    return true;
}

bool TQuendalModel::LoadTablesIntoEngine() {
    // The compile reads the board's lines and firmware from the options.
    SendEngineOptions();
    for (const auto& table : Tables) {
        if (!table->LoadIntoEngine(Engine))
            return false;
    }
    return true;
}

void TQuendalModel::ReleaseTableData() {
    for (const auto& table : Tables)
        table->FreeExternal();
}

bool TQuendalModel::GetTableData(const TConversionTable* table, TLines& lines) {
    if (std::none_of(Tables.begin(), Tables.end(),
                     [table](const auto& own) { return own.get() == table; })) {
        ShowError(QStringLiteral("GetTableData..."));
        return false;
    }
    table->GetLines(lines);
    return true;
}

bool TQuendalModel::SetTableData(TConversionTable* table, const TLines& lines) {
    if (std::none_of(Tables.begin(), Tables.end(),
                     [table](const auto& own) { return own.get() == table; })) {
        ShowError(QStringLiteral("SetTableData..."));
        return false;
    }
    if (!table->SetLines(&lines))
        return false;
    SetModified(true);
    SetModifiedBeyondUndo();
    return true;
}

bool TQuendalModel::CanCompile() const {
    if (IsSimulating())
        return false;
    return std::any_of(Cells.begin(), Cells.end(),
                       [](const auto& cell) { return cell->Count() > 0; });
}

// ---------------------------------------------------------------------------------------------

bool TQuendalModel::DoSave(const QString& fileName, std::string& data) {
    if (fileName.isEmpty())
        return false;
    TLines lines = {Signature, "Version=1.0", std::to_string(TableNameCounter), ""};
    if (!Comment.empty()) {
        lines.push_back(CommentStart);
        for (const std::string& line : Comment)
            lines.push_back(CommentLineOut(line));
        lines.push_back(CommentEnd);
        lines.push_back("");
    }
    for (const auto& table : Tables) {
        lines.push_back(TableStart);
        table->SaveToLines(&lines);
        lines.push_back(TableEnd);
        lines.push_back("");
    }
    for (const auto& cell : Cells) {
        lines.push_back(CellStart);
        cell->SaveToLines(true, lines);
        lines.push_back(CellEnd);
        lines.push_back("");
    }
    size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    data.clear();
    data.reserve(size);
    for (const std::string& line : lines)
        data.append(line).append("\r\n");
    return true;
}

bool TQuendalModel::DoLoad(const QString& fileName) {
    SetFileName(fileName);
    std::string data;
    if (const int error =
            platform::ReadWholeFile(QFile::encodeName(fileName).toStdString(), data)) {
        if (error == ENOENT)
            ShowError(QStringLiteral("Datei %1 nicht gefunden").arg(fileName));
        else
            ShowError(QStringLiteral("Die Datei %1 kann nicht gelesen werden:\r%2")
                          .arg(fileName, SystemErrorReason(error)));
        return false;
    }
    try {
        return ReadProject(fileName, SplitFileLines(QByteArray::fromStdString(data)));
    } catch (const std::bad_alloc&) {
        ShowError(QStringLiteral("Zu wenig Speicher beim Lesen von %1!").arg(fileName));
        return false;
    }
}

std::string TQuendalModel::FreshTableName() {
    std::string name;
    do
        name = "Tabelle " + std::to_string(TableNameCounter++);
    while (std::any_of(Tables.begin(), Tables.end(),
                       [&](const auto& table) { return table->Name == name; }));
    return name;
}

bool TQuendalModel::ReadProject(const QString& fileName, const TLines& lines) {
    if (lines.empty() || lines[0] != Signature) {
        ShowError(QStringLiteral("%1 ist keine g\xFCltige Projektdatei!").arg(fileName));
        SetFileName(QString());
        return false;
    }
    // "Version=1.0"; the text up to the equals sign may be missing.
    {
        const std::string line = lines.size() > 1 ? lines[1] : std::string();
        const size_t equals = line.find('=');
        const std::string rest = equals == std::string::npos ? line : line.substr(equals + 1);
        const size_t dot = rest.find('.');
        int major = 0, minor = 0;
        if (dot == std::string::npos || !ParseInt(rest.substr(0, dot), major) ||
            !ParseInt(rest.substr(dot + 1), minor) || major != 1 || minor != 0) {
            ShowError(QStringLiteral("%1 hat eine falsche Versionsnummer!").arg(fileName));
            return false;
        }
    }
    size_t index = 2;
    // Older files have no counter line.
    int counter = 0;
    if (index < lines.size() && ParseInt(lines[index], counter)) {
        TableNameCounter = uint16_t(counter);
        ++index;
    } else {
        TableNameCounter = 1;
    }
    while (index < lines.size() && lines[index].empty())
        ++index;
    if (index < lines.size() && Contains(lines[index], CommentStart)) {
        ++index;
        // An escaped line is text, whatever it holds.
        while (index < lines.size() &&
               (!Contains(lines[index], CommentEnd) || lines[index][0] == '\x1B'))
            Comment.push_back(UnescapeTextLine(lines[index++]));
        if (index >= lines.size()) {
            ShowMissingEnd(CommentEnd, fileName);
            return true;
        }
        ++index;
    }

    std::vector<bool> taken = CellNumbersOfFile(lines);
    for (const auto& cell : Cells)
        taken[cell->CellNumber] = true;
    // The damaged tables of the file, told in one message when the reader is done.
    struct DamagedTables {
        const QString& fileName;
        QStringList named;
        bool unended = false, renamed = false;
        ~DamagedTables() {
            if (renamed)
                ShowWarning(QString::fromUtf8("Besch\xC3\xA4"
                                              "digte Tabellen in %1 wurden mit allen "
                                              "Zeilen gelesen:\r%2")
                                .arg(fileName, named.join(QLatin1Char('\r'))));
            else if (unended)
                ShowMissingEnd(TableEnd, fileName);
        }
    } damaged{fileName, {}};
    for (;;) {
        while (index < lines.size() && lines[index].empty())
            ++index;
        if (index >= lines.size())
            return true;
        const std::string& line = lines[index];
        // The last line is not read: a mark left by old editors, or a section cut off behind its
        // start.
        if (index + 1 == lines.size()) {
            if (line == TableStart)
                damaged.unended = true;
            else if (line == CellStart)
                ShowMissingEnd(CellEnd, fileName);
            return true;
        }
        // An end marker whose section has ended already.
        if (line == TableEnd || line == CellEnd) {
            ++index;
            continue;
        }
        if (!IsSectionStart(line)) {
            ShowError(QStringLiteral("Falscher Zellenbeginn in %1:\r%2")
                          .arg(fileName, MessageQuote(line)));
            return false;
        }
        ++index;
        if (line == TableStart) {
            TLines section;
            const bool ended = CollectSection(lines, index, TableEnd, section);
            if (section.empty())
                continue;
            // A table without its name line keeps its lines under a new default name.
            QString note;
            if (!section[0].starts_with("Name=")) {
                section.insert(section.begin(), "Name=" + FreshTableName());
                note = QStringLiteral("ohne Namen");
                damaged.renamed = true;
            }
            if (!ended) {
                note += QString(note.isEmpty() ? "" : ", ") + QStringLiteral("ohne ") +
                        QLatin1String(TableEnd);
                damaged.unended = true;
            }
            if (!note.isEmpty())
                damaged.named << QStringLiteral("%1 (%2)").arg(MessageQuote(section[0].substr(5)),
                                                               note);
            try {
                std::unique_ptr<TConversionTable> table =
                    TConversionTable::CreateFromLines(section);
                table->Number = uint16_t(Tables.size() + 1);
                Tables.push_back(std::move(table));
            } catch (const std::exception& error) {
                ShowError(ErrorText(error));
            }
            continue;
        }

        // A cell start right behind another: the first is empty.
        if (IsSectionStart(lines[index]))
            continue;
        int number = 0;
        if (lines[index].size() < 4 || lines[index].compare(0, 3, "ID=") != 0 ||
            !ParseInt(lines[index].substr(3), number) || number < 1 || number > MaxCellNumber) {
            // A number line cut off by the end of the file.
            if (index + 1 == lines.size()) {
                ShowMissingEnd(CellEnd, fileName);
                return true;
            }
            ShowError(QStringLiteral("Falsche Zellen-ID in %1!").arg(fileName));
            return false;
        }
        TLines section = {lines[index++]};
        if (!CollectSection(lines, index, CellEnd, section))
            ShowMissingEnd(CellEnd, fileName);
        if (section.size() == 1)
            continue;
        // Two cells of one number would be one to every operation by number.
        int given = number;
        if (FindCell(number)) {
            given = int(std::find(taken.begin() + 1, taken.end(), false) - taken.begin());
            if (given > MaxCellNumber) {
                ShowCellNotInserted();
                continue;
            }
            taken[size_t(given)] = true;
        }
        ReadCellAt(CellCount(), number, given, section);
    }
}

bool TQuendalModel::ReadCellAt(int index, int number, int given, const TLines& lines) {
    // Undo reads back what the user was told of.
    const bool report = !TReadBackScope::Active();
    TBlockList* cell = CreateCellAt(index, given);
    if (!cell) {
        if (report)
            ShowCellReadError(number);
        return false;
    }
    bool read = false;
    bool pushed = false;
    {
        // The wires dropped while reading and pushing, told in one message.
        TDroppedWires dropped{uint16_t(given)};
        try {
            // Read under its own number, so that blocks of other cells are told apart as ever;
            // the messages name the number it ends up in.
            cell->CellNumber = uint16_t(number);
            read = cell->LoadFromLines(true, lines, 0, given);
        } catch (const std::exception&) {
            read = false;
        }
        MoveCellIntoNumber(*cell, given);
        try {
            // Pushed also after a failure: the engine holds the page name and what was read.
            pushed = cell->PushToEngine();
        } catch (const std::exception&) {
            pushed = false;
        }
    }
    if (report && !(read && pushed))
        ShowCellReadError(number);
    if (given != number)
        ShowWarning(QString::fromUtf8(
                        "Programmzelle %1 ist doppelt vorhanden und erh\xC3\xA4lt die Nummer %2.")
                        .arg(number)
                        .arg(given));
    return read;
}

// ---------------------------------------------------------------------------------------------

void TQuendalModel::SaveDesktop(TDesktopWriter& writer) {
    writer.WriteString(FileName());
    if (FileName().isEmpty()) {
        for (int i = ViewCount() - 1; i >= 0; --i) {
            if (i >= ViewCount())
                continue;
            TMDIChildForm* view = GetView(i);
            if (view->inherits("TProgramCellForm") || view->inherits("TTableEditorForm"))
                view->close();
        }
        QCoreApplication::processEvents();
        return;
    }
    writer.WriteInteger(BreakpointCount);
    for (int i = 0; i < BreakpointCount; ++i)
        writer.WriteInteger(Breakpoints[size_t(i)]);
    writer.WriteInteger(WatchCount());
    for (const auto& watch : Watches) {
        writer.WriteString(Ansi(watch->Name));
        writer.WriteInteger(watch->Code);
    }
}

bool TQuendalModel::LoadDesktop(TDesktopReader& reader) {
    const QString name = reader.ReadString();
    if (name.isEmpty())
        return InitNew();
    const bool loaded = LoadFromFile(name);
    // The rest is read in any case so that the reader stays in step.
    BreakpointCount = 0;
    const int breakpoints = reader.ReadInteger();
    for (int i = 0; i < breakpoints; ++i) {
        const int cell = reader.ReadInteger();
        if (cell > 0 && cell <= 0xFFFF && !HasBreakpoint(cell) && BreakpointCount < MaxBreakpoints)
            Breakpoints[size_t(BreakpointCount++)] = uint16_t(cell);
    }
    const int watches = reader.ReadInteger();
    for (int i = 0; i < watches; ++i) {
        const QString watchName = reader.ReadString();
        const MapCode code = reader.ReadInteger();
        Watches.push_back(
            TWatchEntry::CreateFromDesktop(Engine, code, platform::QStringToAnsi(watchName)));
    }
    return loaded;
}

// ---------------------------------------------------------------------------------------------

std::vector<TPrintPlacement> LayoutPrintPages(const std::vector<QSize>& pictures, QSize page) {
    std::vector<TPrintPlacement> placements;
    int pageIndex = 0;
    int y = 0;
    for (const QSize& picture : pictures) {
        TPrintPlacement placement;
        placement.Width = std::min(picture.width(), page.width());
        placement.Height = std::min(picture.height(), page.height());
        // The separator and its space count: a picture never runs into the bottom margin.
        if (y > 0 && y + 20 + placement.Height > page.height()) {
            ++pageIndex;
            y = 0;
        }
        if (y > 0) {
            y += 20;
            placement.SeparatorAbove = true;
        }
        placement.Page = pageIndex;
        placement.Y = y;
        y += placement.Height + 20;
        placements.push_back(placement);
    }
    return placements;
}

void TQuendalModel::PrintPages(QPainter& painter, QPagedPaintDevice& device, int cellNumber) {
    std::vector<QImage> pictures;
    if (cellNumber > 0) {
        if (const TBlockList* cell = FindCell(cellNumber))
            pictures.push_back(cell->CreateCellBitmap());
    } else {
        for (const auto& cell : Cells)
            pictures.push_back(cell->CreateCellBitmap());
    }
    if (pictures.empty())
        return;

    const QRect area = PrintArea(device, PrintMargins);
    if (area.isEmpty())
        return;
    const int resolutionX = device.logicalDpiX();
    const int resolutionY = device.logicalDpiY();
    const int left = area.left();
    const int top = area.top();
    const int right = area.left() + area.width();
    const int bottom = area.top() + area.height();
    int screenDpi = 96;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        screenDpi = int(std::lround(screen->logicalDotsPerInchX()));
    const QSize logical((right - left) * screenDpi / resolutionX,
                        (bottom - top) * screenDpi / resolutionY);
    const auto setMapping = [&] {
        painter.setWindow(0, 0, logical.width(), logical.height());
        painter.setViewport(left, top, right - left, bottom - top);
    };
    setMapping();

    std::vector<QSize> sizes;
    for (const QImage& picture : pictures)
        sizes.push_back(picture.size());
    const std::vector<TPrintPlacement> placements = LayoutPrintPages(sizes, logical);
    int page = 0;
    for (size_t i = 0; i < placements.size(); ++i) {
        const TPrintPlacement& placement = placements[i];
        if (placement.Page != page) {
            device.newPage();
            page = placement.Page;
            setMapping();
        }
        if (placement.SeparatorAbove) {
            painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
            painter.drawLine(0, placement.Y - 10, logical.width(), placement.Y - 10);
        }
        painter.drawImage(QPoint(0, placement.Y), pictures[i],
                          QRect(0, 0, placement.Width, placement.Height));
    }
}

std::function<bool(QPrinter&)> TQuendalModel::PrintDialog;

void TQuendalModel::PrintProgram(int cellNumber) {
    QPrinter printer(QPrinter::HighResolution);
    const bool confirmed = PrintDialog ? PrintDialog(printer) : [&printer] {
        QPrintDialog dialog(&printer, platform::DialogOwner());
        return dialog.exec() == QDialog::Accepted;
    }();
    if (!confirmed)
        return;
    printer.setDocName(cellNumber == 0 ? QStringLiteral("Tavrissel/plus Programm")
                                       : QStringLiteral("Tavrissel/plus Programmzelle"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowError(QStringLiteral("Der Drucker kann nicht ge\xF6"
                                 "ffnet werden."));
        return;
    }
    try {
        platform::WaitCursor wait;
        PrintPages(painter, printer, cellNumber);
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
}
