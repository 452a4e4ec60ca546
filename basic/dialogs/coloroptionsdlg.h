// The BASIC program's colour and font dialog: its 32 colours and 5 view fonts on five pages,
// edited in a working copy and handed back on apply.
#pragma once

#include "basic/dialogs/colorsettings.h"
#include "framework/dialogs/colorpages.h"

#include <functional>

namespace harvel {

class TColorOptionsDlg : public TColorPagesDialog {
    Q_OBJECT

public:
    enum TPage { EditorPageNo, MessagePageNo, WatchPageNo, OutputPageNo, DataPageNo };

    explicit TColorOptionsDlg(QWidget* owner = nullptr);

    const TColorSettings& WorkingCopy() const { return work_; }

protected:
    void LoadWorkingCopy() override { work_ = ColorSettings(); }
    void StoreWorkingCopy() override { ColorSettings() = work_; }
    uint32_t WorkColor(int number) const override { return work_[number]; }
    void SetWorkColor(int number, uint32_t value) override { work_[number] = value; }
    uint32_t DefaultColor(int number) const override { return TColorSettings::Default(number); }
    TViewFont PageFont(int page) const override;
    void SetPageFont(int page, const TViewFont& font) override;

private:
    TColorSettings work_;
};

// Runs the dialog centred on owner; every apply (and OK) stores the settings, hands the
// editor colours over and calls applied, so the main window can tell every window.
bool ExecuteColorOptions(QWidget* owner, const std::function<void()>& applied);

} // namespace harvel
