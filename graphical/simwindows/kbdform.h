// The simulated unit's 12-key keypad, which it reads as a voltage on analog input 8.
#pragma once

#include "framework/simwindows/toolwindow.h"

#include <QImage>

class TKeyboardForm : public TToolWindow {
    Q_OBJECT

public:
    struct TKey {
        const char* Label;
        uint8_t Value;
        QRect Rect;
    };
    // Keys 1..12 at index 0..11.
    static const TKey Keys[12];
    static constexpr uint8_t NoKeyValue = 255;

    explicit TKeyboardForm(QWidget* owner);
    ~TKeyboardForm() override;

    // Key 1..12 under pos, or -1.
    static int KeyAt(const QPoint& pos);
    // The key a PC key stands for, or -1.
    static int MapKey(int key, Qt::KeyboardModifiers modifiers);

    int LockedKey() const { return lockedKey_; }
    int PressedKey() const { return pressedKey_; }
    int KeyboardKey() const { return keyboardKey_; }
    // Analog input 8 := the value of the key in effect; a real change tells the port window.
    void Apply();

protected:
    void Unregister() override;
    void FirstShowSetup() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void ReleaseMouseKey();

    QImage keyboardImage_;
    int lockedKey_ = -1;
    int pressedKey_ = -1;
    int lastKey_ = -1;
    int keyboardKey_ = -1;
};

extern TKeyboardForm* KeyboardForm;
// Settings section "KeyboardWindow"; KeypadLockedKey is its "KeyDown".
extern TWindowRect KeyboardWindowRect;
extern int KeypadLockedKey;

TKeyboardForm* ShowKeyboardWindow(QWidget* owner, bool hidden);
void ReadKeyboardSettings(TWinRegistry& reg, QWidget* owner);
void WriteKeyboardSettings(TWinRegistry& reg);
