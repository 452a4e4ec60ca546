#include "graphical/editors/tableedit.h"

#include <QMdiArea>

#include "framework/desktop.h"
#include "graphical/model/conversiontable.h"
#include "graphical/model/quendalmodel.h"
#include "platform/qt/ansi.h"

TTableEditorForm::TTableEditorForm(TModel* model, QWidget* parent)
    : TTextEditForm(model, QStringLiteral("Tavrissel plus - Tabelle"), parent) {
    UpdateCaption();
}

void TTableEditorForm::SetTable(TConversionTable* table) {
    table_ = table;
    UpdateCaption();
    Load();
}

void TTableEditorForm::ShowAndFocus() {
    show();
    if (mdiArea())
        mdiArea()->setActiveSubWindow(this);
    Editor()->setFocus();
}

void TTableEditorForm::ModelAttached() {
    Load();
}

void TTableEditorForm::UpdateCaption() {
    QString caption = QStringLiteral("Tabelleneditor");
    if (table_)
        caption += QStringLiteral(" - %1").arg(MessageQuote(table_->Name));
    setWindowTitle(caption);
}

void TTableEditorForm::UpdateAspekt(int code, NotifyData data) {
    if (!table_ || data != table_->Number)
        return;
    if (code == nmTableRenamed)
        UpdateCaption();
    else if (code == nmTableDeleting) {
        // The table goes: its lines must not be written back into it.
        table_ = nullptr;
        DiscardChanges();
        close();
    }
}

bool TTableEditorForm::GetLines(TLines& lines) {
    return table_ && Project()->GetTableData(table_, lines);
}

void TTableEditorForm::SetLines(const TLines& lines) {
    if (table_)
        Project()->SetTableData(table_, lines);
}

void TTableEditorForm::SaveOwnDesktop(TDesktopWriter& writer) {
    writer.WriteInteger(table_ ? table_->Number : 0);
}

void TTableEditorForm::LoadOwnDesktop(TDesktopReader& reader) {
    const int32_t number = reader.ReadInteger();
    TQuendalModel* project = Project();
    SetTable(project && number > 0 ? project->FindTable(number) : nullptr);
}
