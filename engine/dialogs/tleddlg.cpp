#include "engine/dialogs/tleddlg.h"

#include "engine/dialogs/editparam.h"
#include "engine/dialogs/tdllmainform.h"
#include "platform/qt/ansi.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace quendal {

namespace {

struct CharacterButton {
    const char* Name;
    char16_t Character;
};

// The digit buttons stand in two rows, 0-4 above and 5-9 below. "SpeedButton8" and
// "SpeedButton9" carry each other's digit, as the stored forms name them.
constexpr CharacterButton kDigits[] = {
    {"SpeedButton0", u'0'}, {"SpeedButton1", u'1'}, {"SpeedButton2", u'2'}, {"SpeedButton3", u'3'},
    {"SpeedButton4", u'4'}, {"SpeedButton5", u'5'}, {"SpeedButton6", u'6'}, {"SpeedButton7", u'7'},
    {"SpeedButton9", u'8'}, {"SpeedButton8", u'9'},
};

constexpr CharacterButton kLetters[] = {
    {"SpeedButtonA", u'A'},         {"SpeedButtonB", u'b'},       {"SpeedButtonC1", u'C'},
    {"SpeedButtonC2", u'c'},        {"SpeedButtonD", u'd'},       {"SpeedButtonE", u'E'},
    {"SpeedButtonF", u'F'},         {"SpeedButtonG", u'G'},       {"SpeedButtonH1", u'H'},
    {"SpeedButtonH2", u'h'},        {"SpeedButtonI", u'I'},       {"SpeedButtonJ", u'J'},
    {"SpeedButtonL", u'L'},         {"SpeedButtonN1", u'N'},      {"SpeedButtonN2", u'n'},
    {"SpeedButtonO", u'o'},         {"SpeedButtonOe", u'\u00F6'}, {"SpeedButtonP", u'P'},
    {"SpeedButtonQ", u'q'},         {"SpeedButtonR", u'r'},       {"SpeedButtonT", u't'},
    {"SpeedButtonU1", u'U'},        {"SpeedButtonU2", u'u'},      {"SpeedButtonUe", u'\u00FC'},
    {"SpeedButtonY", u'Y'},         {"SpeedButton_", u'_'},       {"SpeedButtonMinus", u'-'},
    {"SpeedButtonGrad", u'\u00B0'}, {"SpeedButtonOmega", u'O'},   {"SpeedButtonMu", u'\u00B5'},
};

constexpr int kLetterColumns = 10;

} // namespace

TLEDDlg::TLEDDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Eigenschaften des LED-Blockes"));
    auto* layout = new QVBoxLayout(this);
    label =
        new QLabel(QStringLiteral("Geben Sie die Ausgabemaske f\u00FCr den LED-Block ein"), this);
    label->setObjectName(QStringLiteral("label"));
    layout->addWidget(label);

    auto* places = new QGridLayout;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int i = 0; i < kPlaces; ++i) {
        Edit[i] = new QLineEdit(this);
        Edit[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        Edit[i]->setMaxLength(1);
        Edit[i]->setFont(fixed);
        Edit[i]->setAlignment(Qt::AlignCenter);
        Edit[i]->setFixedWidth(Edit[i]->fontMetrics().horizontalAdvance(u'W') * 3);
        Edit[i]->installEventFilter(this);
        CheckBox[i] = new QCheckBox(this);
        CheckBox[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        places->addWidget(Edit[i], 0, i, Qt::AlignCenter);
        places->addWidget(CheckBox[i], 1, i, Qt::AlignCenter);
    }
    layout->addLayout(places);
    lastEdit_ = Edit[0];

    auto* digits = new QGridLayout;
    for (int i = 0; i < 10; ++i)
        digits->addWidget(AddButton(kDigits[i].Name, QChar(kDigits[i].Character)), i / 5, i % 5);
    layout->addLayout(digits);

    auto* letters = new QGridLayout;
    int index = 0;
    for (const CharacterButton& button : kLetters) {
        letters->addWidget(AddButton(button.Name, QChar(button.Character)), index / kLetterColumns,
                           index % kLetterColumns);
        ++index;
    }
    layout->addLayout(letters);

    DigitButton = AddButton("DigitButton", u'#', QStringLiteral("# Wertausgabestelle"));
    layout->addWidget(DigitButton);
    connect(AddOkCancel(*this, *layout), &QPushButton::clicked, this, &QDialog::accept);
}

// Buttons take no focus, so the edit entered last stays the one they write into.
QToolButton* TLEDDlg::AddButton(const char* name, QChar character, const QString& caption) {
    auto* button = new QToolButton(this);
    button->setObjectName(QLatin1String(name));
    button->setText(caption.isEmpty() ? QString(character) : caption);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, [this, character] { WriteCharacter(character); });
    return button;
}

bool TLEDDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (QLineEdit* edit : Edit) {
            if (watched == edit)
                lastEdit_ = edit;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TLEDDlg::SetMask(const QString& characters, const bool points[kPlaces]) {
    for (int i = 0; i < kPlaces; ++i) {
        Edit[i]->setText(i < characters.size() ? QString(characters[i]) : QString());
        CheckBox[i]->setChecked(points[i]);
    }
    lastEdit_ = Edit[0];
}

QString TLEDDlg::Mask() const {
    QString mask;
    for (const QLineEdit* edit : Edit)
        mask += edit->text().isEmpty() ? QChar(u' ') : edit->text().front();
    for (const QCheckBox* box : CheckBox)
        mask += box->isChecked() ? u'1' : u'0';
    return mask;
}

void TLEDDlg::WriteCharacter(QChar character) {
    lastEdit_->setText(QString(character));
}

// The one LED dialog lives with the owner form and is preset anew for every block.
bool dialogs::LedMask(const char characters[6], const bool points[6], std::string& mask) {
    TDllMainForm* owner = DllMainForm();
    if (owner == nullptr)
        return false;
    TLEDDlg* dialog = owner->LedDialog();
    if (dialog->isVisible()) // already open for another block
        return false;
    dialog->SetMask(platform::AnsiToQString(std::string_view(characters, 6)), points);
    dialog->Edit[0]->setFocus();
    if (ExecDialog(*dialog) != QDialog::Accepted)
        return false;
    mask = platform::QStringToAnsi(dialog->Mask());
    return true;
}

} // namespace quendal
