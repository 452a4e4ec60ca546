// The window that edits one lookup table's lines.
#pragma once

#include "graphical/editors/texteditform.h"

class TConversionTable;

class TTableEditorForm : public TTextEditForm {
    Q_OBJECT

public:
    explicit TTableEditorForm(TModel* model, QWidget* parent = nullptr);

    TConversionTable* Table() const { return table_; }
    // Shows the table (may be null) and loads its lines.
    void SetTable(TConversionTable* table);
    void ShowAndFocus();

    void ModelAttached() override;
    void UpdateAspekt(int code, NotifyData data) override;

protected:
    bool GetLines(TLines& lines) override;
    void SetLines(const TLines& lines) override;
    void SaveOwnDesktop(TDesktopWriter& writer) override;
    void LoadOwnDesktop(TDesktopReader& reader) override;

private:
    void UpdateCaption();

    TConversionTable* table_ = nullptr;
};
