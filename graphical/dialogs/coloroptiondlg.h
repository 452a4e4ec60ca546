// The colour and font options: edits a working copy of the program-wide colour and font
// table page by page with a live sample, and copies it back on apply.
#pragma once

#include "framework/dialogs/colorpages.h"
#include "graphical/dialogs/coloroptions.h"

// Items of this table: foreground colour number 1..21; a positive background number is
// edited with the item, a negative one -n shows colour n's background without editing it.
class TColorOptionsDlg : public TColorPagesDialog {
    Q_OBJECT

public:
    enum TPage { CellPageNo, TablePageNo, WatchPageNo, DataPageNo, OutputPageNo };

    explicit TColorOptionsDlg(QWidget* owner = nullptr);

    const TColorOptions& WorkingCopy() const { return work_; }
    void PreviewerPaint(QPainter& painter) override;

protected:
    void LoadWorkingCopy() override { work_ = ColorOptions; }
    void StoreWorkingCopy() override { ColorOptions = work_; }
    uint32_t WorkColor(int number) const override;
    void SetWorkColor(int number, uint32_t value) override;
    uint32_t DefaultColor(int number) const override;
    TViewFont PageFont(int page) const override;
    void SetPageFont(int page, const TViewFont& font) override;

private:
    TColorOptions work_;
};

// "%s, %dpt" with ", fett" and ", kursiv" as the style says.
QString FontDescription(const TFontEntry& font);
