#include "graphical/dialogs/blockbmpdlg.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/utils.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/failure.h"

namespace {

constexpr int PreviewSize = 98;

// The bare name when the bitmap folders find the file by it; else the file's full path, the
// only way to find it again.
QString StoredBitmapName(const QString& path) {
    const QFileInfo file(path);
    const QFileInfo found(FindBitmapFile(file.fileName()));
    if (found.isFile() && found.canonicalFilePath() == file.canonicalFilePath())
        return file.fileName();
    return file.absoluteFilePath();
}

} // namespace

TBlockBitmapDlg::TBlockBitmapDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("Auswahl eines externen Bitmaps"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Geben Sie den Dateinamen des Bitmaps ein:"), this));
    eFileName = new QLineEdit(this);
    layout->addWidget(eFileName);
    layout->addWidget(new QLabel(QString::fromUtf8("W\xC3\xA4hlen Sie das Bitmap \xC3\xBC"
                                                   "ber den Dateidialog:"),
                                 this));
    bSelectFile = new QPushButton(QStringLiteral("&Durchsuchen..."), this);
    layout->addWidget(bSelectFile);
    PreviewImage = new QLabel(this);
    PreviewImage->setFixedSize(PreviewSize, PreviewSize);
    PreviewImage->setAlignment(Qt::AlignCenter);
    PreviewImage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    layout->addWidget(PreviewImage, 0, Qt::AlignHCenter);
    auto* buttons = new QHBoxLayout;
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    OkButton->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);

    ConnectCommand(bSelectFile, this, &TBlockBitmapDlg::bSelectFileClick);
    connect(eFileName, &QLineEdit::textChanged, this, &TBlockBitmapDlg::eFileNameChange);
    ConnectCommand(OkButton, this, &QDialog::accept);
    ConnectCommand(CancelButton, this, &QDialog::reject);
    dlgFileSelect = [this](const QString& start) -> std::optional<QString> {
        const QString name = QFileDialog::getOpenFileName(
            this, QStringLiteral("Bitmap ausw\xE4hlen"), start,
            platform::QtFileFilter(QStringLiteral("Bitmapdateien (*.bmp)|*.bmp")));
        if (name.isEmpty())
            return std::nullopt;
        return name;
    };
}

void TBlockBitmapDlg::SetFileName(const QString& name) {
    fileName_ = name;
    eFileName->setText(name);
}

bool TBlockBitmapDlg::UpdatePreview() {
    const QString path = FindBitmapFile(fileName_);
    QImage image;
    if (path.isEmpty() || !QFileInfo::exists(path) || !image.load(path)) {
        PreviewImage->clear();
        return false;
    }
    if (image.width() > PreviewSize || image.height() > PreviewSize)
        image = image.scaled(PreviewSize, PreviewSize, Qt::KeepAspectRatio);
    PreviewImage->setPixmap(QPixmap::fromImage(image));
    fileName_ = StoredBitmapName(path);
    return true;
}

void TBlockBitmapDlg::bSelectFileClick() {
    if (!dlgFileSelect)
        return;
    const std::optional<QString> chosen = dlgFileSelect(fileName_);
    if (!chosen)
        return;
    SetFileName(*chosen);
    UpdatePreview();
}

void TBlockBitmapDlg::eFileNameChange(const QString& text) {
    fileName_ = text;
    UpdatePreview();
}

void TBlockBitmapDlg::done(int result) {
    if (result == QDialog::Accepted && !fileName_.isEmpty() && !UpdatePreview()) {
        ShowError(QStringLiteral("%1 ist keine g\xFCltige Bitmapdatei!").arg(fileName_));
        return;
    }
    QDialog::done(result);
}
