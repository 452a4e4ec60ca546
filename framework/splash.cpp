#include "framework/splash.h"

#include "framework/textwidth.h"
#include "platform/qt/failure.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

QImage TSplashForm::SplashBitmap() {
    QImage image(360, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, image.height());
    gradient.setColorAt(0, QColor(0, 48, 112));
    gradient.setColorAt(1, QColor(0, 128, 160));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    QFont title(QStringLiteral("Arial"), 26, QFont::Bold);
    painter.setFont(title);
    painter.drawText(QRect(0, 12, image.width(), 50), Qt::AlignCenter, QStringLiteral("Tavrissel"));
    QFont subtitle(QStringLiteral("Arial"), 10);
    painter.setFont(subtitle);
    painter.drawText(QRect(0, 130, image.width(), 20), Qt::AlignCenter,
                     QStringLiteral("Entwicklungsumgebung"));
    painter.drawText(QRect(0, 160, image.width(), 20), Qt::AlignCenter,
                     QStringLiteral("Mirelt Electronic"));
    return image;
}

TSplashForm::TSplashForm(const QString& versionText, QWidget* parent)
    : QDialog(parent), picture_(SplashBitmap()) {
    setWindowTitle(QStringLiteral("Über die Tavrissel/plus Entwicklungsumgebung"));
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setBold(true);
    setFont(formFont);

    // The version goes onto the picture once, centred, its top at y = 70.
    {
        QPainter painter(&picture_);
        QFont font(QStringLiteral("Arial"), 18, QFont::Bold);
        painter.setFont(font);
        painter.setPen(Qt::white);
        const QFontMetrics metrics(font);
        const int x = picture_.width() / 2;
        const int textWidth = metrics.horizontalAdvance(versionText);
        painter.drawText(x - textWidth / 2, 70 + metrics.ascent(), versionText);
    }

    panel1_ = new QFrame(this);
    panel1_->setFrameShape(QFrame::Panel);
    panel1_->setFrameShadow(QFrame::Sunken);
    panel1_->setLineWidth(3);
    panel1_->move(5, 5);
    splashImage_ = new QLabel(panel1_);
    splashImage_->setPixmap(QPixmap::fromImage(picture_));
    splashImage_->resize(picture_.size());

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->resize(okButton_->sizeHint());
    okButton_->hide();
    ConnectCommand(okButton_, this, &QDialog::accept);
}

void TSplashForm::ShowSplash() {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    panel1_->setFrameShadow(QFrame::Raised);
    panel1_->setLineWidth(3);
    const int frame = panel1_->frameWidth();
    panel1_->setGeometry(0, 0, picture_.width() + 2 * frame, picture_.height() + 2 * frame);
    splashImage_->move(frame, frame);
    setFixedSize(panel1_->size());
    okButton_->hide();
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    repaint();
    qApp->installEventFilter(this);
}

bool TSplashForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
        const auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && window->isModal()) {
            qApp->removeEventFilter(this);
            hide();
        }
    }
    return false;
}

void TSplashForm::PrepareAbout(QWidget* mainForm) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    panel1_->setFrameShadow(QFrame::Sunken);
    panel1_->setLineWidth(1);
    panel1_->resize(picture_.width() + 2, picture_.height() + 2);
    splashImage_->move(1, 1);
    // As wide as the caption needs, the picture centred in it.
    setFixedSize(std::max(panel1_->width() + 10, CaptionWidth(this)), panel1_->height() + 40);
    panel1_->move((width() - panel1_->width()) / 2, 5);
    okButton_->move((width() - okButton_->width()) / 2, panel1_->height() + 10);
    okButton_->show();
    okButton_->setDefault(true);
    if (mainForm) {
        const QRect main = mainForm->frameGeometry();
        const QSize own = frameGeometry().size();
        const int left = main.x() + (main.width() - own.width()) / 2;
        const int top = main.y() + (main.height() - own.height()) / 2;
        move(std::max(0, left), std::max(0, top));
    }
}

void TSplashForm::ShowAbout(QWidget* mainForm) {
    PrepareAbout(mainForm);
    exec();
}
