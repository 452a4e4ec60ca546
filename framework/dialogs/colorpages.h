// The colour and font dialog of both programs: pages of items, each item a foreground and
// a background colour number; two colour boxes with swatches, the page's font choice, a
// live sample and apply on demand. A program's dialog names its pages and items and moves
// its own table in and out of the working copy.
#pragma once

#include <QDialog>
#include <QFont>
#include <QMargins>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "framework/dialogs/fontchoice.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class TColorPagesDialog;

// One editable item: a positive colour number is edited with the item, a negative one -n
// shows colour n in the sample without being editable here.
struct TColorItemRec {
    const char* Label;
    int Foreground;
    int Background;
};

// A view's font as the dialog edits it.
struct TViewFont {
    QString Name;
    int Size = 10;
    bool Bold = false;
    bool Italic = false;
    bool operator==(const TViewFont&) const = default;
};

constexpr int MaxViewFontNameLength = 31;

// The faces a view draws in: any, or only fixed-pitch ones (the editors).
enum class TFontPitch { Any, Fixed };

// The palette of the colour boxes: entry 0 "Vorgabe" (the colour's default), entries 1..16
// black, maroon, green, olive, navy, purple, teal, grey, silver, red, lime, yellow, blue,
// fuchsia, aqua, white, as stored colour numbers (0x00BBGGRR).
constexpr int PaletteSize = 17;
uint32_t PaletteColor(int entry);
// The entry a colour shows as: its place among the 16, or 0 for any other colour.
int ColorComboIndex(uint32_t value);
// Fills a box with the palette; each entry is drawn as a black-framed swatch inset by the
// margins, entry 0 white with "Vorgabe" centred.
void FillColorCombo(QComboBox* combo, const QMargins& inset);
// "%s, %dpt" with ", fett" and ", kursiv" as the style says.
QString DescribeFont(const TViewFont& font);
// The font a view of the pitch draws a stored font in; a fixed-pitch view takes the family
// the editor takes for the name. The views and the dialog's sample resolve fonts here alone.
QFont ToQFont(const TViewFont& font, TFontPitch pitch);

// Where the two programs' dialogs differ.
struct TColorPagesOptions {
    // The font button is enabled only while the page's first item is selected.
    bool FontOnFirstItemOnly = false;
    // A colour that cannot be edited with the item shows in its disabled box, else that box
    // shows "Vorgabe".
    bool DisabledBoxShowsColor = false;
};

// The sample area; the dialog paints it.
class TColorPreviewer : public QWidget {
    Q_OBJECT

public:
    explicit TColorPreviewer(TColorPagesDialog* dialog, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TColorPagesDialog* dialog_;
};

class TColorPagesDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int SampleWidth = 150;
    static constexpr int SampleHeight = 43;

    // Working copy := live table; centred on the owner; true and applied on OK.
    bool Execute(QWidget* owner);
    int CurrentPage() const { return page_; }
    // The selected item of the current page, or null.
    const TColorItemRec* CurrentItem() const;
    // Paints the sample of the selected item: its background, and its foreground in the
    // page's font. Dialogs with samples of their own override it.
    virtual void PreviewerPaint(QPainter& painter);
    // The page's font as its view draws it; the sample shows it.
    QFont SampleFont() const;

    // Runs the font dialog (tests replace it); empty when cancelled.
    static TFontDialogRun FontDialog;

    // Runs after every apply: the owner hands the live table to its windows.
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

public:
    struct TPageDef {
        QString Caption;
        std::span<const TColorItemRec> Items;
        TFontPitch Pitch = TFontPitch::Any; // of the view that takes the page's font
    };

protected:
    // The derived dialog fills its working copy and then calls FormShow.
    TColorPagesDialog(QWidget* owner, const QString& caption, const QString& fontButton,
                      std::span<const TPageDef> pages, const QMargins& swatchInset, int helpContext,
                      TColorPagesOptions options);

    // Working copy := live table, and back.
    virtual void LoadWorkingCopy() = 0;
    virtual void StoreWorkingCopy() = 0;
    virtual uint32_t WorkColor(int number) const = 0;
    virtual void SetWorkColor(int number, uint32_t value) = 0;
    virtual uint32_t DefaultColor(int number) const = 0;
    virtual TViewFont PageFont(int page) const = 0;
    virtual void SetPageFont(int page, const TViewFont& font) = 0;

    void FormShow();

private slots:
    void PageControl1Change(int page);
    void LBFontColorItemClick();
    void OnFGColorSelected(int index);
    void OnBGColorSelected(int index);
    void BFontSelectClick();
    void HelpButtonClick();

private:
    void StoreColor(int number, int comboIndex);
    void ShowColorBox(QComboBox* box, QLabel* label, int number);
    void ShowFont();

    std::vector<TPageDef> pages_;
    int page_ = 0;
    int helpContext_;
    TColorPagesOptions options_;
};
