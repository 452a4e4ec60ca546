#include "graphical/simwindows/kbdform.h"

#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/simwindows/aportfrm.h"
#include "platform/qt/failure.h"
#include "platform/qt/help.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

TKeyboardForm* KeyboardForm = nullptr;
TWindowRect KeyboardWindowRect;
int KeypadLockedKey = -1;

namespace {

QRect KeyRect(int left, int top) {
    return QRect(QPoint(left, top), QPoint(left + 24, top + 24));
}

QImage KeypadPicture() {
    QImage image(92, 118, QImage::Format_RGB32);
    image.fill(QColor(60, 60, 60));
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    for (const TKeyboardForm::TKey& key : TKeyboardForm::Keys) {
        painter.setPen(QColor(20, 20, 20));
        painter.setBrush(QColor(200, 200, 200));
        painter.drawRoundedRect(key.Rect.adjusted(1, 1, -1, -1), 4, 4);
        painter.setPen(Qt::black);
        painter.drawText(key.Rect, Qt::AlignCenter, QString::fromLatin1(key.Label));
    }
    return image;
}

} // namespace

const TKeyboardForm::TKey TKeyboardForm::Keys[12] = {
    {"1", 68, KeyRect(8, 8)},  {"2", 152, KeyRect(34, 8)},  {"3", 235, KeyRect(60, 8)},
    {"4", 46, KeyRect(8, 34)}, {"5", 132, KeyRect(34, 34)}, {"6", 214, KeyRect(60, 34)},
    {"7", 23, KeyRect(8, 60)}, {"8", 111, KeyRect(34, 60)}, {"9", 193, KeyRect(60, 60)},
    {"*", 0, KeyRect(8, 86)},  {"0", 90, KeyRect(34, 86)},  {"#", 173, KeyRect(60, 86)},
};

TKeyboardForm::TKeyboardForm(QWidget* owner) : TToolWindow(owner, KeyboardWindowRect, 17000) {
    setWindowTitle(QStringLiteral("Tastatur"));
    keyboardImage_ = KeypadPicture();
    resize(keyboardImage_.size());
    setFocusPolicy(Qt::StrongFocus);
    lockedKey_ = KeypadLockedKey >= 1 && KeypadLockedKey <= 12 ? KeypadLockedKey : -1;
    KeyboardForm = this;
    Apply();
}

TKeyboardForm::~TKeyboardForm() {
    Unregister();
}

void TKeyboardForm::Unregister() {
    KeypadLockedKey = lockedKey_;
    if (KeyboardForm == this)
        KeyboardForm = nullptr;
}

void TKeyboardForm::FirstShowSetup() {
    setFixedSize(keyboardImage_.size());
}

int TKeyboardForm::KeyAt(const QPoint& pos) {
    for (int i = 0; i < 12; ++i) {
        if (Keys[i].Rect.contains(pos))
            return i + 1;
    }
    return -1;
}

int TKeyboardForm::MapKey(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers shifts =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (shifts == Qt::NoModifier) {
        if (key >= Qt::Key_1 && key <= Qt::Key_9)
            return key - Qt::Key_1 + 1;
        if (key == Qt::Key_0)
            return 11;
    }
    // "*" and "#" as typed, whatever shift state they need.
    if (key == Qt::Key_Asterisk)
        return 10;
    if (key == Qt::Key_NumberSign)
        return 12;
    return -1;
}

void TKeyboardForm::Apply() {
    const int key = lockedKey_ > 0 ? lockedKey_ : pressedKey_ > 0 ? pressedKey_ : keyboardKey_;
    const uint8_t value = key > 0 ? Keys[key - 1].Value : NoKeyValue;
    if (SimulatorIoState.AnalogIn[7] != value) {
        SimulatorIoState.AnalogIn[7] = value;
        SimulatorIoState.AnalogInChanged[7] = true;
        UpdateAnalogInputs();
    }
    update();
}

void TKeyboardForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), keyboardImage_, event->rect());
    // Highlighting inverts the key; a key held in two ways is highlighted once.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    int shown[3] = {-1, -1, -1};
    int count = 0;
    for (int key : {pressedKey_, lockedKey_, keyboardKey_}) {
        if (key > 0 && key != shown[0] && key != shown[1])
            shown[count++] = key;
    }
    for (int i = 0; i < count; ++i) {
        QPainterPath path;
        path.addRoundedRect(QRectF(Keys[shown[i] - 1].Rect.adjusted(0, 0, 1, 1)), 4.5, 4.5);
        painter.drawPath(path);
    }
}

void TKeyboardForm::mousePressEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (keyboardKey_ > 0)
            return;
        // The press of a double click arrives before the double click itself, so it is an
        // ordinary press here and the next press is never swallowed.
        if (event->button() != Qt::LeftButton)
            return;
        const int key = KeyAt(event->position().toPoint());
        if (key < 0)
            return;
        if (lockedKey_ > 0 && lockedKey_ != key)
            lockedKey_ = -1;
        pressedKey_ = key;
        Apply();
    });
}

void TKeyboardForm::ReleaseMouseKey() {
    lastKey_ = pressedKey_;
    pressedKey_ = -1;
    Apply();
}

void TKeyboardForm::mouseMoveEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (pressedKey_ > 0 && !Keys[pressedKey_ - 1].Rect.contains(event->position().toPoint()))
            ReleaseMouseKey();
    });
}

void TKeyboardForm::mouseReleaseEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (pressedKey_ > 0 && Keys[pressedKey_ - 1].Rect.contains(event->position().toPoint()))
            ReleaseMouseKey();
    });
}

void TKeyboardForm::mouseDoubleClickEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (keyboardKey_ > 0 || lastKey_ < 0 || event->button() != Qt::LeftButton)
            return;
        lockedKey_ = lockedKey_ == lastKey_ ? -1 : lastKey_;
        lastKey_ = -1;
        Apply();
    });
}

void TKeyboardForm::keyPressEvent(QKeyEvent* event) {
    platform::GuardEvent(event, [&] {
        if (event->key() == Qt::Key_F1) {
            TToolWindow::keyPressEvent(event);
            return;
        }
        if (keyboardKey_ > 0 || event->isAutoRepeat())
            return;
        const int key = MapKey(event->key(), event->modifiers());
        if (key < 0) {
            QWidget::keyPressEvent(event);
            return;
        }
        keyboardKey_ = key;
        Apply();
    });
}

void TKeyboardForm::keyReleaseEvent(QKeyEvent* event) {
    platform::GuardEvent(event, [&] {
        if (event->isAutoRepeat() || keyboardKey_ < 0)
            return;
        keyboardKey_ = -1;
        Apply();
    });
}

TKeyboardForm* ShowKeyboardWindow(QWidget* owner, bool hidden) {
    return ShowToolWindow(KeyboardForm, owner, hidden);
}

void ReadKeyboardSettings(TWinRegistry& reg, QWidget* owner) {
    KeyboardWindowRect.Read(reg, "KeyboardWindow");
    KeypadLockedKey = reg.ReadInteger("KeyboardWindow", "KeyDown", -1);
    if (reg.ReadBool("KeyboardWindow", "Visible", false))
        ShowKeyboardWindow(owner, true);
}

void WriteKeyboardSettings(TWinRegistry& reg) {
    if (KeyboardForm) {
        KeyboardForm->RememberRect();
        KeypadLockedKey = KeyboardForm->LockedKey();
    }
    KeyboardWindowRect.Write(reg, "KeyboardWindow");
    reg.WriteInteger("KeyboardWindow", "KeyDown", KeypadLockedKey);
    reg.WriteBool("KeyboardWindow", "Visible", KeyboardForm != nullptr);
}
