#include "graphical/editors/texteditform.h"

#include <algorithm>
#include <cstdint>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMimeData>
#include <QPalette>
#include <QPrintDialog>
#include <QPrinter>

#include "editor/vedcmd.h"
#include "framework/commands.h"
#include "framework/desktop.h"
#include "framework/editcommands.h"
#include "framework/printing.h"
#include "framework/utils.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/model/quendalmodel.h"
#include "platform/qt/ansi.h"

namespace {

constexpr int PrintLineLimit = 256;
// What the user may type; a stored text beyond these is loaded whole and raises them.
constexpr int32_t TypedByteLimit = 50000;
constexpr int32_t TypedParaLimit = 1000;
constexpr int TypedParaLengthLimit = 200;
// The longest paragraph the editor can hold.
constexpr int MaxParaLengthLimit = 32767;

enum TEditCommand : int {};

} // namespace

std::function<bool(QPrinter&, bool, bool&)> TTextEditForm::PrintDialog;

TTextEditForm::TTextEditForm(TModel* model, const QString& printTitle, QWidget* parent)
    : TMDIChildForm(model, parent), controller_(new ved::TVedControllerComponent(this)),
      editor_(new ved::TVedEditor(this)), printTitle_(printTitle) {
    editor_->SetBorderSingle(false);
    editor_->SetByteLimit(TypedByteLimit);
    editor_->SetParaLimit(TypedParaLimit);
    editor_->SetParaLengthLimit(TypedParaLengthLimit);
    // Lines come back as they were stored, trailing blanks included.
    editor_->SetTrimWhiteSpace(false);
    editor_->SetTabSize(4);
    editor_->SetWantTab(true);
    editor_->SetWrapColumn(40);
    editor_->SetLeftMargin(5);
    editor_->SetRightMargin(5);
    editor_->SetShowBookmarks(false);
    editor_->Carets().CaretOvr()->SetShape(ved::TVedCaretShape::csBlock);
    editor_->Carets().CaretOvr()->SetIsGray(true);
    editor_->SetController(&controller_->Controller());
    editor_->OnChange = [this](ved::TVedCustomEditor&) { changed_ = true; };
    setWidget(editor_);
    ColorsChanged();
}

TQuendalModel* TTextEditForm::Project() const {
    return dynamic_cast<TQuendalModel*>(Model());
}

void TTextEditForm::Load() {
    TLines lines;
    if (!Project() || !GetLines(lines))
        lines.clear();
    int64_t bytes = 2;
    size_t longest = 0;
    for (const std::string& line : lines) {
        bytes += int64_t(line.size()) + 2;
        longest = std::max(longest, line.size());
    }
    editor_->ClearAll(false);
    editor_->SetByteLimit(int32_t(std::clamp<int64_t>(bytes, TypedByteLimit, INT32_MAX)));
    editor_->SetParaLimit(
        int32_t(std::clamp<int64_t>(int64_t(lines.size()) + 1, TypedParaLimit, INT32_MAX - 1)));
    editor_->SetParaLengthLimit(
        int(std::clamp<size_t>(longest, TypedParaLengthLimit, MaxParaLengthLimit)));
    // A longer line would be split into several: shown, but never written back.
    readOnly_ = longest > size_t(MaxParaLengthLimit);
    editor_->SetReadOnly(readOnly_);
    // The editor's paragraphs are exactly the lines: the last one goes into the paragraph the
    // editor always ends with, so a stored text comes back as it was, line breaks and all.
    const size_t appended =
        readOnly_ ? lines.size() : lines.size() - std::min<size_t>(1, lines.size());
    for (size_t i = 0; i < appended; ++i)
        editor_->AppendPara(lines[i]);
    if (appended < lines.size()) {
        const std::string& last = lines.back();
        editor_->ParaList()->InsertChars(nullptr, editor_->GetParaCount(), 1, last.data(),
                                         int(last.size()));
        // The load is no edit to undo.
        editor_->ParaList()->UndoBuffer().Clear();
    }
    editor_->ResetScrollBars(true);
    editor_->SetCaretPosition(1, 1);
    editor_->SetTopLine(1);
    editor_->SetModified(false);
    changed_ = false;
    if (readOnly_)
        ShowError(QStringLiteral("Der Text enth\xE4lt eine Zeile mit mehr als %1 Zeichen und "
                                 "wird nur zum Lesen angezeigt.")
                      .arg(MaxParaLengthLimit));
}

bool TTextEditForm::HasPendingEdits() const {
    return changed_ && editor_->GetModified() && Project() && !readOnly_;
}

void TTextEditForm::UpdateModel() {
    if (!HasPendingEdits())
        return;
    // Paragraphs, not wrapped screen lines: a line of the project is one paragraph, and every
    // one is kept, an empty last one (a trailing line break) too. Only an empty text has none.
    TLines lines;
    for (int32_t para = 1; para <= editor_->GetParaCount(); ++para)
        lines.push_back(editor_->GetPara(para));
    if (lines.size() == 1 && lines.front().empty())
        lines.clear();
    SetLines(lines);
    editor_->SetModified(false);
    changed_ = false;
}

void TTextEditForm::closeEvent(QCloseEvent* event) {
    if (changed_ && Model()) {
        UpdateModel();
        Model()->SetModifiedBeyondUndo();
    }
    TMDIChildForm::closeEvent(event);
}

void TTextEditForm::DoCommand(int cmd) {
    if (DoEditCommand(*editor_, cmd))
        return;
    switch (cmd) {
    case cmPrint:
        Print();
        break;
    case cmDelete:
        editor_->ExecuteCommand(ved::ccDel, 0);
        break;
    default:
        TMDIChildForm::DoCommand(cmd);
    }
}

bool TTextEditForm::IsCommandEnabled(int cmd) {
    switch (cmd) {
    case cmPrint:
        return editor_->GetLineCount() >= 1;
    case cmUndo:
        return editor_->CanUndo();
    case cmRedo:
        return editor_->CanRedo();
    case cmCut:
    case cmCopy:
        return editor_->HasSelection();
    case cmPaste: {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        return data && data->hasText();
    }
    case cmDelete:
        return true;
    default:
        return TMDIChildForm::IsCommandEnabled(cmd);
    }
}

void TTextEditForm::ColorsChanged() {
    // Both text windows take the table editor's colours and font.
    QPalette own = editor_->palette();
    own.setColor(QPalette::Base, ViewColor(cnTableBackgnd));
    editor_->setPalette(own);
    const QFont font = ViewFont(fvTable);
    editor_->FixedFont().SetName(font.family());
    editor_->FixedFont().SetSize(font.pointSize());
    editor_->FixedFont().SetStyle(font.bold(), font.italic());
    editor_->FixedFont().SetColor(ViewColor(cnTableText));
    editor_->viewport()->update();
}

QStringList TTextEditForm::PrintLines(bool selectionOnly) const {
    int32_t first = 1, last = editor_->GetLineCount();
    int startColumn = 1, endColumn = 0;
    if (selectionOnly && !editor_->GetSelection(first, startColumn, last, endColumn))
        return {};
    QStringList lines;
    for (int32_t line = first; line <= last; ++line) {
        std::string text = editor_->GetLineString(line).substr(0, PrintLineLimit);
        if (selectionOnly && line == last)
            text = text.substr(0, size_t(std::max(0, endColumn - 1)));
        if (selectionOnly && line == first) {
            const size_t blanks = std::min(text.size(), size_t(std::max(0, startColumn - 1)));
            text.replace(0, blanks, blanks, ' ');
        }
        lines << platform::AnsiToQString(text);
    }
    return lines;
}

void TTextEditForm::Print() {
    QPrinter printer(QPrinter::HighResolution);
    const bool selection = editor_->HasSelection();
    bool selectionChosen = false;
    const bool confirmed = PrintDialog ? PrintDialog(printer, selection, selectionChosen) : [&] {
        QPrintDialog dialog(&printer, this);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
        const bool ok = dialog.exec() == QDialog::Accepted;
        selectionChosen = ok && dialog.printRange() == QAbstractPrintDialog::Selection;
        return ok;
    }();
    if (!confirmed)
        return;
    printer.setDocName(printTitle_);
    // inside the printout margins, under a heading with the title and the page number
    if (!PrintListing(printer, editor_->FixedFont().Font(), printTitle_,
                      PrintLines(selectionChosen)))
        ShowError(QStringLiteral("Der Drucker kann nicht ge\xF6"
                                 "ffnet werden."));
}

void TTextEditForm::SaveDesktop(TDesktopWriter& writer) {
    TMDIChildForm::SaveDesktop(writer);
    SaveOwnDesktop(writer);
    int column = 1;
    const int32_t line = editor_->GetCaretPosition(column);
    writer.WriteInteger(editor_->GetTopLine());
    writer.WriteInteger(line);
    writer.WriteInteger(column);
}

void TTextEditForm::LoadDesktop(TDesktopReader& reader) {
    TMDIChildForm::LoadDesktop(reader);
    LoadOwnDesktop(reader);
    const int32_t top = reader.ReadInteger();
    const int32_t line = reader.ReadInteger();
    const int32_t column = reader.ReadInteger();
    editor_->SetTopLine(top);
    editor_->SetCaretPosition(line, column);
}
