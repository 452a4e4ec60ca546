// The common part of the table and comment editor windows: an editor control that loads a
// list of lines from the project, writes them back when the project asks for pending edits
// or the window closes, and takes the clipboard, undo and print commands.
#pragma once

#include "editor/widgets/vededit.h"
#include "framework/mdichild.h"
#include "graphical/model/block.h"

#include <QStringList>
#include <functional>

class QPrinter;
class TQuendalModel;

class TTextEditForm : public TMDIChildForm {
    Q_OBJECT

public:
    TTextEditForm(TModel* model, const QString& printTitle, QWidget* parent = nullptr);

    ved::TVedEditor* Editor() const { return editor_; }
    TQuendalModel* Project() const;
    bool Changed() const { return changed_; }

    void UpdateModel() override;
    bool HasPendingEdits() const override;
    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void ColorsChanged() override;
    void LoadDesktop(TDesktopReader& reader) override;
    void SaveDesktop(TDesktopWriter& writer) override;

    // The lines a print job gets: every line, or the selected lines with the text before the
    // selection's start column blanked and the last line cut at its end column.
    QStringList PrintLines(bool selectionOnly) const;
    void Print();

    // The print dialog: false when cancelled. The printer is set up by the dialog; selection
    // tells whether "selection" may be chosen, selectionChosen whether it was. Tests replace it.
    static std::function<bool(QPrinter& printer, bool selection, bool& selectionChosen)>
        PrintDialog;

protected:
    // Fills the editor from the project's lines.
    void Load();
    virtual bool GetLines(TLines& lines) = 0;
    virtual void SetLines(const TLines& lines) = 0;
    virtual void SaveOwnDesktop(TDesktopWriter&) {}
    virtual void LoadOwnDesktop(TDesktopReader&) {}
    void DiscardChanges() { changed_ = false; }

    void closeEvent(QCloseEvent* event) override;

private:
    ved::TVedControllerComponent* controller_;
    ved::TVedEditor* editor_;
    QString printTitle_;
    bool changed_ = false;
    bool readOnly_ = false;
};
