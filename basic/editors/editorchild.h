// The source editor window: one BASIC or assembler file in a highlighting editor, with its
// breakpoints kept in step with edits, and the commands that compile, download and debug it.
#pragma once

#include "basic/editors/hiltedit.h"
#include "basic/library/linotrex.h"
#include "framework/mdichild.h"

#include <QPoint>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QMenu;
class QPrinter;

namespace harvel {

// Editor options, kept in the program key's section "Editor".
struct TEditorSettings {
    std::string ASMFiles = "*.ASM";
    std::string BASICFiles = "*.BAS";
    bool BackupFiles = true;
    bool AutoIndent = true;
    bool SearchAtCursor = true;
    uint8_t TabMode = 2; // the editor's TTabType ordinal
    int TabWidth = 8;

    void Load(TWinRegistry& reg);
    void Save(TWinRegistry& reg) const;
};
TEditorSettings& EditorSettings();

// The editor's colours and font, as the colour settings hand them over.
struct TEditorLook {
    QColor text{Qt::black}, back{Qt::white}, selText{Qt::white}, selBack{0, 0, 128};
    QString fontName = QStringLiteral("Courier New");
    int fontSize = 10;
    bool bold = false, italic = false;
};
TEditorLook& EditorLook();

// The main window's find and replace state, which the source windows' commands 156-159 use.
struct TEditorSearch {
    std::string findText;
    std::string replaceText;
    int options = 0; // the editor's search bits (backwards, match case, replace, whole words)
    // Opens the main window's find or replace dialog at a screen place, preset with a text.
    std::function<void(bool replace, const QPoint& at, const QString& preset)> OpenDialog;
};
TEditorSearch& EditorSearch();

class TEditorForm : public TMDIChildForm, public TSourceWindow {
    Q_OBJECT
public:
    enum Language : uint16_t { LangNone = 0, LangBasic = 1, LangAsm = 2 };
    static constexpr int UntitledSlots = 50;

    explicit TEditorForm(TModel* model, const std::string& fileName = {},
                         QWidget* parent = nullptr);
    ~TEditorForm() override;

    THiliteEditor* TextEditor() const { return editor_; }
    Language GetLanguage() const { return language_; }
    int UntitledNumber() const { return untitled_; }
    bool Simulating() const { return simulating_; }
    QMenu* LocalEditorPopup() const { return popup_; }

    // Set by the main window: the recent-files list's AddFile.
    std::function<void(const std::string&)> OnAddToRecentFiles;

    void UpdateCaption(bool releaseUntitled = false);
    void ChooseLanguage();
    void ToggleBreakpoint(int32_t line);
    // The lines a printout holds: every line, or the selected part with the columns before
    // the selection blanked and the last line cut at its end.
    std::vector<std::string> PrintLines(bool selectionOnly) const;
    void Print(QPrinter& printer, bool selectionOnly) const;
    // Searches, or replaces with the replace bits, with the text and options of EditorSearch; a
    // text not found beeps and says so. The editor's result (-1 not found).
    int SearchText();
    // With backups on, the old file is kept under its name with the extension ".BAK".
    void SaveText(const std::string& fileName);

    // Asks what closing asks (stop a run, end the simulation, save changes); once agreed, the
    // next close goes without asking again, unless withdrawn.
    bool AgreeToClose();
    void WithdrawClose() { closeAgreed_ = false; }

    // TMDIChildForm
    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void ColorsChanged() override;
    void OptionsChanged() override;
    void LoadDesktop(TDesktopReader& reader) override;
    void SaveDesktop(TDesktopWriter& writer) override;

    // TSourceWindow
    ved::TVedCustomEditor& SourceEditor() override { return *editor_; }
    std::string SourceFileName() const override { return editor_->FileName(); }
    TBrkptList& Breakpoints() override { return breakpoints_; }
    void ShowBreakpointLine(int32_t line, bool moveCaret) override;
    void BringToFront() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool CloseQuery();
    void GetBrkptState(int32_t line, bool& current, TBreakpointState& state);
    void DeletedPara(int32_t para);
    void InsertedPara(int32_t para, int pos);
    void JoinedPara(int32_t para);
    void SaveAs();
    void BuildPopup();
    void OpenSearchDialog(bool replace, const QPoint& offset);
    void ClaimUntitled();
    void ReleaseUntitled();
    int32_t CaretLine() const;
    // The word at the caret, or the one that ends right before it.
    std::string WordAtCaret() const;
    static bool InList(const std::string& list, const std::string& pattern);

    THiliteEditor* editor_ = nullptr;
    QMenu* popup_ = nullptr;
    int untitled_ = -1;
    TBrkptList breakpoints_;
    bool simulating_ = false;
    bool closeAgreed_ = false;
    Language language_ = LangNone;
};

} // namespace harvel
