// The colour and font options: edits a working copy of the program-wide colour and font
// table page by page with a live sample, and copies it back on apply.
#pragma once

#include <QDialog>
#include <QFont>
#include <QWidget>

#include <functional>
#include <optional>

#include "graphical/dialogs/coloroptions.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class TColorOptionsDlg;

// One editable item: foreground colour number 1..21; a positive background number is edited
// with the item, a negative one -n shows colour n's background without editing it.
struct TColorItemRec {
    const char* Label;
    int Foreground;
    int Background;
};

// The sample area; the dialog paints it.
class TColorPreviewer : public QWidget {
    Q_OBJECT

public:
    explicit TColorPreviewer(TColorOptionsDlg* dialog, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TColorOptionsDlg* dialog_;
};

class TColorOptionsDlg : public QDialog {
    Q_OBJECT

public:
    enum TPage { CellPageNo, TablePageNo, WatchPageNo, DataPageNo, OutputPageNo };
    static constexpr int SampleWidth = 150;
    static constexpr int SampleHeight = 43;

    explicit TColorOptionsDlg(QWidget* owner = nullptr);

    // Working copy := live table; centred on the owner; true and applied on OK.
    bool Execute(QWidget* owner);
    const TColorOptions& WorkingCopy() const { return work_; }
    int CurrentPage() const { return page_; }
    // The selected item of the current page, or null.
    const TColorItemRec* CurrentItem() const;
    void PreviewerPaint(QPainter& painter);

    // Runs the font dialog (tests replace it); empty when cancelled.
    static std::function<std::optional<QFont>(const QFont& initial, QWidget* parent)> FontDialog;

    // Set by the main window: distributes the live table to the views.
    std::function<void()> OnApply;

    QTabWidget* PageControl1 = nullptr;
    QListWidget* LBFontColorItem = nullptr;
    QComboBox* CBForeground = nullptr;
    QLabel* LForeground = nullptr;
    QComboBox* CBBackground = nullptr;
    QLabel* LBackground = nullptr;
    QGroupBox* GBSampleColor = nullptr;
    QWidget* PSample = nullptr;
    TColorPreviewer* Previewer = nullptr;
    QLabel* LSelectedFont = nullptr;
    QPushButton* BFontSelect = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ApplyButton = nullptr;
    QPushButton* HelpButton = nullptr;

public slots:
    void DoApply();

private slots:
    void PageControl1Change(int page);
    void LBFontColorItemClick();
    void OnFGColorSelected(int index);
    void OnBGColorSelected(int index);
    void BFontSelectClick();
    void HelpButtonClick();

private:
    void FormShow();
    void StoreColor(int number, int comboIndex);
    void ShowFont();
    TFontView PageFont() const;

    TColorOptions work_;
    int page_ = CellPageNo;
};

// The colour choices of the combos: item 0 the entry's default, then the 16 named colours.
// The item a colour shows as: its place among the 16, or 0 for any other colour.
int ColorComboIndex(TColorValue value);
// "%s, %dpt" with ", fett" and ", kursiv" as the style says.
QString FontDescription(const TFontEntry& font);
