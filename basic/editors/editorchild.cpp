#include "basic/editors/editorchild.h"

#include "basic/commands.h"
#include "basic/editors/keywords.h"
#include "editor/vedcmd.h"
#include "framework/application.h"
#include "framework/editcommands.h"
#include "framework/printing.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QPrinter>
#include <algorithm>
#include <array>

namespace harvel {

using platform::BoxKind;
using platform::Button;

namespace {

std::array<TEditorForm*, TEditorForm::UntitledSlots>& UntitledTable() {
    static std::array<TEditorForm*, TEditorForm::UntitledSlots> table{};
    return table;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

QString WithoutDirectory(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    return QString::fromLocal8Bit(slash == std::string::npos ? name : name.substr(slash + 1));
}

// Forwards F1 to the help and the popup to the window.
class EditorKeys : public QObject {
public:
    EditorKeys(THiliteEditor* editor, TEditorForm* form) : QObject(editor), form_(form) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
            // The help has no keyword index: Ctrl+F1 opens its contents.
            const bool shown = (static_cast<QKeyEvent*>(e)->modifiers() & Qt::ControlModifier)
                                   ? platform::ShowHelpContents()
                                   : platform::ShowHelpContext(10000);
            if (shown)
                HelpUsed = true;
            return true;
        }
        if (e->type() == QEvent::ContextMenu) {
            QMenu* popup = form_->LocalEditorPopup();
            for (QAction* action : popup->actions()) {
                const int tag = action->data().toInt();
                if (tag > 1)
                    action->setEnabled(form_->IsCommandEnabled(tag));
                if (action->menu())
                    for (QAction* item : action->menu()->actions())
                        item->setEnabled(form_->IsCommandEnabled(item->data().toInt()));
            }
            popup->popup(static_cast<QContextMenuEvent*>(e)->globalPos());
            return true;
        }
        return false;
    }

private:
    TEditorForm* form_;
};

} // namespace

// --- settings

TEditorSettings& EditorSettings() {
    static TEditorSettings settings;
    return settings;
}

TEditorLook& EditorLook() {
    static TEditorLook look;
    return look;
}

TEditorSearch& EditorSearch() {
    static TEditorSearch search;
    return search;
}

void TEditorSettings::Load(TWinRegistry& reg) {
    const QString s = QStringLiteral("Editor");
    auto str = [&](const char* ident, const std::string& def) {
        std::string v = reg.ReadString(s, QString::fromLatin1(ident), QString::fromLocal8Bit(def))
                            .toStdString();
        return v.substr(0, 255);
    };
    ASMFiles = str("ASMFiles", "*.ASM");
    BackupFiles = reg.ReadBool(s, QStringLiteral("BackupFiles"), true);
    BASICFiles = str("BASICFiles", "*.BAS");
    AutoIndent = reg.ReadBool(s, QStringLiteral("AutoIndent"), true);
    SearchAtCursor = reg.ReadBool(s, QStringLiteral("SearchAtCursor"), true);
    // stored 2 aligned at the line above, 1 real tabs, anything else fixed
    const int stored = reg.ReadInteger(s, QStringLiteral("TabMode"), 2);
    TabMode = stored == 2 ? 2 : stored == 1 ? 0 : 1;
    TabWidth = reg.ReadInteger(s, QStringLiteral("TabWidth"), 8);
}

void TEditorSettings::Save(TWinRegistry& reg) const {
    const QString s = QStringLiteral("Editor");
    reg.WriteString(s, QStringLiteral("ASMFiles"), QString::fromLocal8Bit(ASMFiles));
    reg.WriteBool(s, QStringLiteral("BackupFiles"), BackupFiles);
    reg.WriteString(s, QStringLiteral("BASICFiles"), QString::fromLocal8Bit(BASICFiles));
    reg.WriteBool(s, QStringLiteral("AutoIndent"), AutoIndent);
    reg.WriteBool(s, QStringLiteral("SearchAtCursor"), SearchAtCursor);
    reg.WriteInteger(s, QStringLiteral("TabMode"), TabMode == 2 ? 2 : TabMode == 0 ? 1 : 0);
    reg.WriteInteger(s, QStringLiteral("TabWidth"), TabWidth);
}

// --- TEditorForm

TEditorForm::TEditorForm(TModel* model, const std::string& fileName, QWidget* parent)
    : TMDIChildForm(model, parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    new ved::TVedControllerComponent(this);
    editor_ = new THiliteEditor(this);
    editor_->setObjectName(QStringLiteral("TextEditor"));
    editor_->SetLeftMargin(18);
    editor_->SetParaLengthLimit(250);
    editor_->SetParaLimit(10000);
    editor_->SetUndoBufferSize(16384);
    editor_->SetWantTab(true);
    editor_->SetAutoIndent(true);
    editor_->SetBackupExt("BAK");
    editor_->OnGetBrkptState = [this](int32_t line, bool& current, TBreakpointState& state) {
        GetBrkptState(line, current, state);
    };
    editor_->OnDeletedPara = [this](int32_t para) { DeletedPara(para); };
    editor_->OnInsertedPara = [this](int32_t para, int pos, int) { InsertedPara(para, pos); };
    editor_->OnJoinedPara = [this](int32_t para, int) { JoinedPara(para); };
    editor_->OnChange = [this](ved::TVedCustomEditor&) { Linotrex().SourceEdited(this); };
    editor_->installEventFilter(new EditorKeys(editor_, this));
    setWidget(editor_);
    ResizeUnlessPlaced(560, 380);
    BuildPopup();

    ColorsChanged();
    OptionsChanged();

    if (!fileName.empty()) {
        editor_->SetFileName(fileName);
        editor_->SetIsOpen(true);
        ChooseLanguage();
    }
    UpdateCaption();
}

TEditorForm::~TEditorForm() {
    Linotrex().EditorDestroyed(this);
    ReleaseUntitled();
}

void TEditorForm::BuildPopup() {
    popup_ = new QMenu(this);
    auto add = [this](QMenu* menu, const QString& text, int tag) {
        QAction* action = menu->addAction(text);
        action->setData(tag);
        ConnectCommand(action, this, [this, tag] { DoCommand(tag); });
    };
    add(popup_, QStringLiteral("Ausschneiden"), 152);
    add(popup_, QStringLiteral("Kopieren"), 153);
    add(popup_, QStringLiteral("Einfügen"), 154);
    add(popup_, QStringLiteral("Löschen"), 155);
    popup_->addSeparator();
    add(popup_, QStringLiteral("Haltepunkt umschalten"), 300);
    add(popup_, QStringLiteral("Bis zum Cursor ausführen"), 301);
    add(popup_, QStringLiteral("Variable am Cursor überwachen"), 302);
    popup_->addSeparator();
    QMenu* marks = popup_->addMenu(QStringLiteral("Markierungen umschalten"));
    marks->menuAction()->setData(1);
    for (int i = 0; i < 8; ++i)
        add(marks, QStringLiteral("Markierung %1").arg(i), 180 + i);
    QMenu* gotos = popup_->addMenu(QStringLiteral("Gehe zu Markierung"));
    gotos->menuAction()->setData(0);
    for (int i = 0; i < 8; ++i)
        add(gotos, QStringLiteral("Markierung %1").arg(i), 190 + i);
}

void TEditorForm::ClaimUntitled() {
    auto& table = UntitledTable();
    if (untitled_ <= 0) {
        untitled_ = 0;
        for (int n = 1; n < UntitledSlots; ++n) {
            if (!table[static_cast<size_t>(n)] || table[static_cast<size_t>(n)] == this) {
                untitled_ = n;
                break;
            }
        }
    }
    table[static_cast<size_t>(untitled_)] = this;
}

void TEditorForm::ReleaseUntitled() {
    auto& table = UntitledTable();
    if (untitled_ >= 0 && untitled_ < UntitledSlots &&
        table[static_cast<size_t>(untitled_)] == this)
        table[static_cast<size_t>(untitled_)] = nullptr;
    untitled_ = -1;
}

void TEditorForm::UpdateCaption(bool releaseUntitled) {
    if (releaseUntitled)
        ReleaseUntitled();
    QString caption;
    if (!editor_->FileName().empty()) {
        caption = WithoutDirectory(editor_->FileName()) + QStringLiteral(" - ");
    } else {
        ClaimUntitled();
        caption = QStringLiteral("Unbenannt%1 - ").arg(untitled_);
    }
    caption += simulating_ ? QStringLiteral("Simulator") : QStringLiteral("Editor");
    setWindowTitle(caption);
}

bool TEditorForm::InList(const std::string& list, const std::string& pattern) {
    size_t at = 0;
    while ((at = list.find(pattern, at)) != std::string::npos) {
        const size_t end = at + pattern.size();
        if (end == list.size() || list[end] == ' ' || list[end] == ';')
            return true;
        at = end;
    }
    return false;
}

void TEditorForm::ChooseLanguage() {
    Language language = LangNone;
    const std::string& name = editor_->FileName();
    if (!name.empty()) {
        const size_t dot = name.rfind('.');
        const size_t slash = name.rfind('/');
        const std::string ext =
            dot != std::string::npos && (slash == std::string::npos || dot > slash)
                ? name.substr(dot)
                : std::string();
        const std::string pattern = "*" + Upper(ext);
        if (InList(Upper(EditorSettings().BASICFiles), pattern))
            language = LangBasic;
        else if (InList(Upper(EditorSettings().ASMFiles), pattern))
            language = LangAsm;
    }
    if (language == language_)
        return;
    language_ = language;
    if (language == LangBasic)
        editor_->OnSyntaxScan = [](const char* s, int& start, int& end, int len, THiliteMode& k) {
            return ScanBasicToken(KeywordTables(), s, start, end, len, k);
        };
    else if (language == LangAsm)
        editor_->OnSyntaxScan = [](const char* s, int& start, int& end, int len, THiliteMode& k) {
            return ScanAsmToken(KeywordTables(), s, start, end, len, k);
        };
    else
        editor_->OnSyntaxScan = nullptr;
    editor_->viewport()->update();
}

void TEditorForm::ColorsChanged() {
    const TEditorLook& look = EditorLook();
    QPalette pal = editor_->palette();
    pal.setColor(QPalette::Base, look.back);
    editor_->setPalette(pal);
    editor_->HighlightColors().SetUseDefault(false);
    editor_->HighlightColors().SetTextColor(look.selText);
    editor_->HighlightColors().SetBackColor(look.selBack);
    editor_->FixedFont().SetColor(look.text);
    editor_->FixedFont().SetName(look.fontName); // ignored where the family is missing
    editor_->FixedFont().SetSize(look.fontSize);
    editor_->FixedFont().SetStyle(look.bold, look.italic);
    editor_->viewport()->update();
}

void TEditorForm::OptionsChanged() {
    ChooseLanguage();
    const TEditorSettings& s = EditorSettings();
    editor_->SetTabSize(s.TabWidth);
    editor_->SetTabType(static_cast<ved::TTabType>(std::min<int>(s.TabMode, 2)));
    editor_->SetAutoIndent(s.AutoIndent);
}

void TEditorForm::GetBrkptState(int32_t line, bool& current, TBreakpointState& state) {
    TLinotrex& wrapper = Linotrex();
    if (!wrapper.IsRunningIn(this))
        current = wrapper.IsExecLine(this, line);
    if (current)
        return;
    for (const auto& entry : breakpoints_) {
        if (entry->line == line) {
            state = entry->DisplayState();
            return;
        }
    }
}

void TEditorForm::DeletedPara(int32_t para) {
    std::erase_if(breakpoints_, [para](const auto& e) { return e->line == para; });
    for (auto& entry : breakpoints_)
        if (entry->line > para)
            --entry->line;
    editor_->viewport()->update();
}

void TEditorForm::InsertedPara(int32_t para, int pos) {
    // A break at or before the line's first non-blank moves the statement down, and its
    // breakpoint with it: the first part then holds nothing but blanks. A break behind it
    // leaves the statement on its line.
    const std::string first = pos > 1 ? editor_->GetPara(para) : std::string();
    const bool moved = first.find_first_not_of(" \t") == std::string::npos;
    for (auto& entry : breakpoints_)
        if (entry->line > para || (entry->line == para && moved))
            ++entry->line;
    editor_->viewport()->update();
}

void TEditorForm::JoinedPara(int32_t para) {
    // Two breakpoints meeting on the joined line become one.
    const auto onLine = [&](int32_t line) {
        return std::any_of(breakpoints_.begin(), breakpoints_.end(),
                           [line](const auto& e) { return e->line == line; });
    };
    if (onLine(para))
        std::erase_if(breakpoints_, [para](const auto& e) { return e->line == para + 1; });
    for (auto& entry : breakpoints_)
        if (entry->line > para)
            --entry->line;
    editor_->viewport()->update();
}

int32_t TEditorForm::CaretLine() const {
    int column;
    return editor_->GetCaretPosition(column);
}

void TEditorForm::ShowBreakpointLine(int32_t line, bool moveCaret) {
    if (line < 1 || line > editor_->GetLineCount()) {
        editor_->viewport()->update();
        return;
    }
    editor_->RepaintLine(line);
    if (moveCaret)
        editor_->SetCaretPosition(line, 1);
}

void TEditorForm::BringToFront() {
    if (mdiArea())
        mdiArea()->setActiveSubWindow(this);
    raise();
}

void TEditorForm::ToggleBreakpoint(int32_t line) {
    auto it = std::find_if(breakpoints_.begin(), breakpoints_.end(),
                           [line](const auto& e) { return e->line == line; });
    if (it != breakpoints_.end()) {
        breakpoints_.erase(it);
    } else {
        auto entry = std::make_unique<TBrkptEntry>();
        entry->line = line;
        entry->checked = Linotrex().IsCompiledFor(this);
        entry->valid = Linotrex().IsValidBreakpointIn(this, line);
        breakpoints_.push_back(std::move(entry));
    }
    ShowBreakpointLine(line, false);
}

void TEditorForm::SaveAs() {
    platform::SaveDialogRequest request;
    const std::string& name = editor_->FileName();
    request.title =
        QStringLiteral("Speichere %1 als")
            .arg(name.empty() ? QStringLiteral("unbenannten Quelltext") : WithoutDirectory(name));
    request.fileName = QString::fromLocal8Bit(name);
    request.filter = QStringLiteral("Tavrissel BASIC Dateien (*.bas)|*.bas|Alle Dateien (*.*)|*.*");
    request.defaultExt = QStringLiteral("bas");
    const std::optional<QString> chosen = platform::SaveFileDialog(request);
    if (!chosen || chosen->isEmpty())
        return;
    const std::string file = chosen->toLocal8Bit().toStdString();
    SaveText(file);
    editor_->SetFileName(file);
    UpdateCaption(true);
    ChooseLanguage();
}

void TEditorForm::DoCommand(int cmd) {
    TLinotrex& wrapper = Linotrex();
    if (cmd >= cmSetBookmark0 && cmd <= cmSetBookmark0 + 7) {
        editor_->SetMarker(cmd - cmSetBookmark0);
        return;
    }
    if (cmd >= cmGotoBookmark0 && cmd <= cmGotoBookmark0 + 7) {
        editor_->GotoMarker(cmd - cmGotoBookmark0);
        return;
    }
    if (DoEditCommand(*editor_, cmd))
        return;
    switch (cmd) {
    case cmSave:
        if (editor_->FileName().empty())
            SaveAs();
        else
            SaveText(editor_->FileName());
        break;
    case cmSaveAs:
        SaveAs();
        break;
    case cmPrint: {
        QPrinter printer;
        bool selectionOnly = false;
        if (RunPrintDialog(printer, this, editor_->HasSelection(), &selectionOnly))
            Print(printer, selectionOnly);
        break;
    }
    case cmDelete:
        if (editor_->HasSelection())
            editor_->ExecuteCommand(ved::ccDel, 0);
        break;
    case cmFind:
        OpenSearchDialog(false, QPoint(50, 110));
        break;
    case cmFindNext:
    case cmFindPrev: {
        TEditorSearch& search = EditorSearch();
        search.options &= ~(ved::soReplaceOnce | ved::soReplaceAll);
        if (cmd == cmFindPrev)
            search.options |= ved::soBackwards;
        else
            search.options &= ~ved::soBackwards;
        SearchText();
        break;
    }
    case cmReplace:
        OpenSearchDialog(true, QPoint(80, 140));
        break;
    case cmCompile:
    case cmCompileDownload:
        if (wrapper.CanStartCommand() && wrapper.AttachEditor(this)) {
            wrapper.SetSource(*this);
            wrapper.CompileSource();
            if (cmd == cmCompileDownload)
                wrapper.StartDownload();
        }
        break;
    case cmToggleBreakpoint:
        ToggleBreakpoint(CaretLine());
        break;
    case cmRunToCursor:
        wrapper.RunTo(CaretLine());
        break;
    case cmWatchAtCaret: {
        const std::string word = WordAtCaret();
        if (!word.empty()) {
            if (wrapper.Views().ShowWatchWindow)
                wrapper.Views().ShowWatchWindow();
            wrapper.AddWatch(word);
        }
        break;
    }
    case cmRun:
        wrapper.RunTo(-1);
        break;
    case cmStep:
        wrapper.StepOnce();
        break;
    case cmReset:
        wrapper.ResetSimulation(false);
        break;
    case cmClearBreakpoints:
        while (!breakpoints_.empty()) {
            const int32_t line = breakpoints_.back()->line;
            breakpoints_.pop_back();
            ShowBreakpointLine(line, false);
        }
        break;
    case cmStop:
        wrapper.UserBreak();
        break;
    default:
        TMDIChildForm::DoCommand(cmd);
        break;
    }
}

bool TEditorForm::IsCommandEnabled(int cmd) {
    TLinotrex& wrapper = Linotrex();
    const bool simulating = wrapper.IsSimulatingIn(this);
    if (simulating != simulating_) {
        simulating_ = simulating;
        editor_->SetReadOnly(simulating);
        UpdateCaption();
    }
    const bool running = wrapper.IsRunningIn(this);
    // no command that calls the library starts while another runs or a download is under way
    const bool free = wrapper.CanStartCommand();
    if ((cmd >= cmSetBookmark0 && cmd <= cmSetBookmark0 + 7) ||
        (cmd >= cmGotoBookmark0 && cmd <= cmGotoBookmark0 + 7))
        return true;
    switch (cmd) {
    case cmSave:
        return editor_->GetModified();
    case cmSaveAs:
        return true;
    case cmPrint:
        return editor_->GetByteCount() > 0;
    case cmUndo:
        return !simulating_ && editor_->CanUndo();
    case cmRedo:
        return !simulating_ && editor_->CanRedo();
    case cmCut:
        return !simulating_ && editor_->HasSelection();
    case cmCopy:
        return editor_->HasSelection();
    case cmPaste:
        return !simulating_ && !QApplication::clipboard()->text().isEmpty();
    case cmDelete:
    case cmReplace:
        return !simulating_;
    case cmFind:
        return editor_->GetByteCount() > 0;
    case cmFindNext:
    case cmFindPrev:
        return !EditorSearch().findText.empty();
    case cmCompile:
    case cmCompileDownload:
        return free && !running && editor_->GetByteCount() != 0 && language_ != LangAsm;
    case cmToggleBreakpoint:
        return editor_->GetLineLength(CaretLine()) > 0;
    case cmRunToCursor:
        return free && wrapper.IsValidBreakpointIn(this, CaretLine());
    case cmWatchAtCaret: {
        const std::string word = WordAtCaret();
        const char c = word.empty() ? '\0' : word[0];
        return !running && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_');
    }
    case cmRun:
    case cmStep:
        return free && wrapper.IsCompiledFor(this);
    case cmReset:
        return free && wrapper.IsSimulatingIn(this);
    case cmClearBreakpoints:
        return !breakpoints_.empty();
    case cmStop:
        return wrapper.IsRunning(); // in every window: the run may be shown elsewhere
    default:
        return TMDIChildForm::IsCommandEnabled(cmd);
    }
}

std::string TEditorForm::WordAtCaret() const {
    std::string word = editor_->GetCurrentWord();
    const int32_t para = editor_->CaretPara();
    const int pos = editor_->CaretPos();
    if (!word.empty() || pos <= 1 || para < 1 || para > editor_->GetParaCount())
        return word;
    // right behind a word: that word
    const std::string text = editor_->GetPara(para);
    if (pos - 1 > static_cast<int>(text.size()))
        return word;
    int begin = pos - 1;
    const int end = begin;
    while (begin > 0 && !editor_->IsDelimiter(text[static_cast<size_t>(begin - 1)]))
        --begin;
    return text.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin));
}

void TEditorForm::OpenSearchDialog(bool replace, const QPoint& offset) {
    TEditorSearch& search = EditorSearch();
    if (!search.OpenDialog)
        return;
    QString preset;
    if (EditorSettings().SearchAtCursor)
        preset = platform::AnsiToQString(editor_->GetCurrentWord());
    search.OpenDialog(replace, window()->geometry().topLeft() + offset, preset);
}

int TEditorForm::SearchText() {
    const TEditorSearch& search = EditorSearch();
    // a replacement is an edit of the source like a typed one, also when it stops at an error
    int result = -1;
    editor_->ReportingChange(
        [&] { result = editor_->Replace(search.findText, search.replaceText, search.options); });
    if (result == -1) {
        platform::MessageBeep(platform::BeepKind::Exclamation);
        platform::MessageBox(
            BoxKind::Information,
            QStringLiteral("Text %1 nicht gefunden!").arg(platform::AnsiToQString(search.findText)),
            static_cast<platform::Buttons>(Button::Ok));
    }
    return result;
}

void TEditorForm::SaveText(const std::string& fileName) {
    // Backups follow the setting as it is at the save. The editor refuses a file this user may
    // not write before it touches the backup; the old file replaces an older backup, and a
    // backup that cannot be made leaves the text saved and is reported.
    editor_->SetMakeBackup(EditorSettings().BackupFiles);
    editor_->SaveToFile(fileName);
}

std::vector<std::string> TEditorForm::PrintLines(bool selectionOnly) const {
    std::vector<std::string> lines;
    int32_t first = 1, last = editor_->GetLineCount();
    int startColumn = 1, endColumn = 0;
    if (selectionOnly && !editor_->GetSelection(first, startColumn, last, endColumn))
        return lines;
    for (int32_t line = first; line <= last; ++line) {
        std::string text = editor_->GetLineString(line).substr(0, 256);
        if (selectionOnly) {
            if (line == last)
                text.resize(std::min(text.size(), static_cast<size_t>(std::max(endColumn - 1, 0))));
            if (line == first)
                std::fill_n(
                    text.begin(),
                    std::min(text.size(), static_cast<size_t>(std::max(startColumn - 1, 0))), ' ');
        }
        lines.push_back(std::move(text));
    }
    return lines;
}

void TEditorForm::Print(QPrinter& printer, bool selectionOnly) const {
    const std::string& name = editor_->FileName();
    printer.setDocName(name.empty() ? QStringLiteral("Quelltext aus Quorvin")
                                    : QStringLiteral("%1 aus Quorvin").arg(WithoutDirectory(name)));
    QStringList lines;
    for (const std::string& line : PrintLines(selectionOnly))
        lines << platform::AnsiToQString(line);
    PrintListing(printer, editor_->FixedFont().Font(),
                 name.empty() ? QStringLiteral("Unbenannter Quelltext") : WithoutDirectory(name),
                 lines);
}

bool TEditorForm::CloseQuery() {
    TLinotrex& wrapper = Linotrex();
    if (wrapper.IsRunningIn(this)) {
        wrapper.UserBreak();
        return false;
    }
    if (!wrapper.DetachEditor(this))
        return false;
    if (!editor_->GetModified())
        return true;
    const std::string& name = editor_->FileName();
    const QString question =
        name.empty() ? QStringLiteral("Unbenannten Quelltext speichern?")
                     : QStringLiteral("Änderungen in %1 speichern?").arg(WithoutDirectory(name));
    switch (platform::MessageBox(BoxKind::Confirmation, question,
                                 Button::Yes | Button::No | Button::Cancel)) {
    case Button::Yes:
        // A save that fails is shown here and refuses the close: the text stays.
        RunCommand([this] { DoCommand(cmSave); });
        return !editor_->GetModified();
    case Button::No:
        return true;
    default:
        return false;
    }
}

bool TEditorForm::AgreeToClose() {
    closeAgreed_ = CloseQuery();
    return closeAgreed_;
}

void TEditorForm::closeEvent(QCloseEvent* event) {
    // A failure refuses the close: the window and its text stay.
    platform::GuardEvent(event, [&] {
        if (!closeAgreed_ && !CloseQuery()) {
            event->ignore();
            return;
        }
        closeAgreed_ = false;
        if (!editor_->FileName().empty() && OnAddToRecentFiles)
            OnAddToRecentFiles(editor_->FileName());
        ReleaseUntitled();
        TMDIChildForm::closeEvent(event);
    });
}

void TEditorForm::SaveDesktop(TDesktopWriter& writer) {
    TMDIChildForm::SaveDesktop(writer);
    const std::string& name = editor_->FileName();
    writer.WriteString(QString::fromLocal8Bit(name));
    writer.WriteInteger(untitled_);
    if (name.empty())
        return;
    int column = 1;
    const int32_t line = editor_->GetCaretPosition(column);
    writer.WriteInteger(editor_->GetTopLine());
    writer.WriteInteger(line);
    writer.WriteInteger(column);
    writer.WriteInteger(static_cast<int32_t>(breakpoints_.size()));
    for (const auto& entry : breakpoints_)
        writer.WriteInteger(entry->line);
}

void TEditorForm::LoadDesktop(TDesktopReader& reader) {
    TMDIChildForm::LoadDesktop(reader);
    const std::string name = reader.ReadString().toLocal8Bit().toStdString();
    const int32_t number = reader.ReadInteger();
    ReleaseUntitled();
    editor_->SetFileName(name);
    if (number >= 0 && number < UntitledSlots) {
        untitled_ = number;
        UntitledTable()[static_cast<size_t>(number)] = this;
    }
    if (!name.empty()) {
        editor_->SetIsOpen(true);
        const int32_t top = reader.ReadInteger();
        const int32_t line = reader.ReadInteger();
        const int32_t column = reader.ReadInteger();
        try {
            editor_->SetTopLine(top);
            editor_->SetCaretPosition(line, column);
        } catch (const std::exception&) {
            // a file changed since: the old place may be gone
        }
        // Only lines of the text, each once; a damaged list costs the breakpoints alone.
        try {
            const int32_t count = reader.ReadInteger();
            for (int32_t i = 0; i < count; ++i) {
                const int32_t line = reader.ReadInteger();
                if (line < 1 || line > editor_->GetLineCount() ||
                    std::any_of(breakpoints_.begin(), breakpoints_.end(),
                                [line](const auto& e) { return e->line == line; }))
                    continue;
                auto entry = std::make_unique<TBrkptEntry>();
                entry->line = line;
                breakpoints_.push_back(std::move(entry));
            }
        } catch (const EDesktopError&) {
            breakpoints_.clear();
        }
        editor_->viewport()->update();
    }
    UpdateCaption();
    ChooseLanguage();
}

} // namespace harvel
