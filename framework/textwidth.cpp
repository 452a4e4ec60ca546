#include "framework/textwidth.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace {

// The title bar besides its text: the window icon and up to three frame buttons (minimise,
// maximise, close) of about 20 pixels each, and the frame's padding. The window manager draws
// them, so they cannot be measured from here.
constexpr int FrameButtonsAllowance = 110;

class TCaptionFit : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::WindowTitleChange)
            return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        // Message boxes fix their size as they show, the caption counted.
        if (dialog && !qobject_cast<QMessageBox*>(dialog) &&
            (type == QEvent::Show || dialog->isVisible()))
            FitWidthToCaption(dialog);
        return false;
    }
};

} // namespace

int TextsWidth(const QFontMetrics& metrics, const QStringList& texts) {
    int width = 0;
    for (const QString& text : texts)
        width = std::max(width, metrics.horizontalAdvance(text));
    return width;
}

int CaptionWidth(const QWidget* window) {
    const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    return title.horizontalAdvance(window->windowTitle()) + FrameButtonsAllowance;
}

void FitWidthToCaption(QWidget* window) {
    const int needed = CaptionWidth(window);
    if (window->width() >= needed)
        return;
    // A window placed by the program grows to both sides, so one centred over its owner stays
    // centred; a dialog that Qt places is centred by its own show event, after this one.
    const bool placed = window->testAttribute(Qt::WA_Moved);
    int left = window->x() - (needed - window->width()) / 2;
    if (const QScreen* screen = window->screen())
        left = std::max(left, screen->availableGeometry().left());
    if (window->minimumWidth() == window->maximumWidth())
        window->setFixedWidth(needed);
    else {
        window->setMaximumWidth(std::max(window->maximumWidth(), needed));
        window->resize(needed, window->height());
    }
    if (placed)
        window->move(left, window->y());
}

void FitDialogsToCaptions() {
    static QPointer<TCaptionFit> filter;
    if (filter || !qApp)
        return;
    filter = new TCaptionFit(qApp);
    qApp->installEventFilter(filter);
}
