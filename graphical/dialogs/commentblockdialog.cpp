#include "graphical/dialogs/commentblockdialog.h"

#include "framework/dialogs/fontchoice.h"
#include "platform/qt/failure.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Sizes 6 to 24, as the comments are drawn in the cell. Qt's font dialog has no colour among
// its effects, so the colour is asked for right after it; cancelling that keeps the colour.
bool RunCommentFontDialog(QWidget* parent, QFont& font, QColor& color) {
    const std::optional<QFont> chosen =
        ChooseFont(font, parent, [](const QFont& initial, QWidget* owner) {
            std::optional<QFont> result = RunFontDialog(
                initial, owner, QFontDialog::ScalableFonts | QFontDialog::NonScalableFonts);
            if (result && result->pointSize() != initial.pointSize())
                result->setPointSize(std::clamp(result->pointSize(), 6, 24));
            return result;
        });
    if (!chosen)
        return false;
    font = *chosen;
    const QColor picked = QColorDialog::getColor(color, parent);
    if (picked.isValid())
        color = picked;
    return true;
}

} // namespace

TCommentBlockDlg::TCommentBlockDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Eigenschaften des Kommentarblocks"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Geben Sie den neuen Kommentar hier ein:"), this));
    eCommentText = new QLineEdit(this);
    layout->addWidget(eCommentText);
    auto* buttons = new QHBoxLayout;
    FontButton = new QPushButton(QStringLiteral("Schriftart..."), this);
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    OkButton->setDefault(true);
    buttons->addWidget(FontButton);
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    ConnectCommand(FontButton, this, &TCommentBlockDlg::FontButtonClick);
    ConnectCommand(OkButton, this, &QDialog::accept);
    ConnectCommand(CancelButton, this, &QDialog::reject);
    dlgFont = [this](QFont& font, QColor& color) {
        return RunCommentFontDialog(this, font, color);
    };
}

QString TCommentBlockDlg::Text() const {
    return eCommentText->text();
}

void TCommentBlockDlg::SetText(const QString& text) {
    eCommentText->setText(text);
}

void TCommentBlockDlg::SetCommentFont(const QFont& font, const QColor& color) {
    font_ = font;
    color_ = color;
}

void TCommentBlockDlg::FontButtonClick() {
    QFont font = font_;
    QColor color = color_;
    if (dlgFont && dlgFont(font, color))
        SetCommentFont(font, color);
}
