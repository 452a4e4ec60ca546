// The LED block's output mask: six places, each a character and a decimal point, filled by
// typing or by the character buttons.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace quendal {

class TLEDDlg : public QDialog {
public:
    static constexpr int kPlaces = 6;

    explicit TLEDDlg(QWidget* owner);
    // Index 0 is the leftmost place. The character buttons write into the first place until
    // another edit is entered.
    void SetMask(const QString& characters, const bool points[kPlaces]);
    // The first character of each edit (a blank for an empty one), then "1" or "0" per point.
    QString Mask() const;
    // Writes the character into the edit that was entered last.
    void WriteCharacter(QChar character);

    QLabel* label;
    QLineEdit* Edit[kPlaces];
    QCheckBox* CheckBox[kPlaces];
    QToolButton* DigitButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* AddButton(const char* name, QChar character, const QString& caption = QString());

    QLineEdit* lastEdit_;
};

} // namespace quendal
