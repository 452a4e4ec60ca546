// What the stay-on-top tool windows of both programs share: the stored rectangle, placement
// on the first show, help by F1, freeing on close.
#pragma once

#include "framework/simwindows/windowrect.h"

#include <QWidget>

// Stays above its owner's window, not above other programs or the owner's modal dialogs.
class TToolWindow : public QWidget {
    Q_OBJECT

public:
    // stored: the settings rectangle the window starts with and keeps up to date.
    TToolWindow(QWidget* owner, TWindowRect& stored, int helpContext);
    ~TToolWindow() override;

    bool FirstShow() const { return firstShow_; }
    // The client rectangle now, for the settings (once the window has been shown); the same
    // kind of rectangle the first show restores.
    void RememberRect();
    // Sets the bounds from rect moved onto the screen; an empty rectangle is ignored.
    void SetBoundsOnScreen(const TWindowRect& rect);
    // For a window of child controls: the background is filled before they paint.
    void SetEraseBackground(bool on);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The window's own part of the first show, after the placement.
    virtual void FirstShowSetup() {}
    // Clears the window's global variable and hooks: at close, as the window is freed later.
    virtual void Unregister() = 0;

    bool firstShow_ = true;

private:
    // Without a stored rectangle: beside the owner's work area, below its menus.
    void PlaceBesideOwner();

    TWindowRect& stored_;
    int helpContext_;
};

// The one instance of a tool window, made on first need; shown and raised unless hidden.
template <class Form> Form* ShowToolWindow(Form* instance, QWidget* owner, bool hidden) {
    Form* form = instance ? instance : new Form(owner);
    if (!hidden) {
        form->show();
        form->raise();
    }
    return form;
}

// Reads the stored rectangle; true when the window was open as the settings were written.
bool ReadToolWindowPlace(TWinRegistry& reg, const QString& section, TWindowRect& rect);
// Writes the rectangle of the open window (form, or none) and whether it is open.
void WriteToolWindowPlace(TWinRegistry& reg, const QString& section, TToolWindow* form,
                          TWindowRect& rect);
