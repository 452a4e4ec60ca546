// What the single-instance MDI windows of both programs (watch, terminal, data, messages) share:
// their base class, their first place and the rectangle they keep for the settings.
#pragma once

#include "framework/mdichild.h"
#include "framework/simwindows/windowrect.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <functional>

class QPainter;
class QRect;
class TRowGrid;

// Base of those windows: shown at the stored rectangle, which follows the window while it is
// shown and as it closes.
class TSingleChildForm : public TMDIChildForm {
    Q_OBJECT

public:
    // place outlives the window; the settings read and write it.
    TSingleChildForm(TModel* model, TWindowRect& place, QWidget* parent = nullptr);

protected:
    // After the window was shown; after a resize, before its place is kept.
    virtual void AfterShow() {}
    virtual void AfterResize() {}
    // After a close that was accepted: the program forgets its window.
    virtual void AfterClose() = 0;

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TWindowRect& place_;
};

// The output and the data window as both programs show them: title, designed size and grid as
// the widget, drawing its rows with drawRow; F1 opens the window's help.
using TDrawRow = std::function<void(QPainter& painter, int row, const QRect& rect)>;
void SetUpTerminalWindow(TMDIChildForm& form, TRowGrid* grid, const TDrawRow& drawRow);
void SetUpDataWindow(TMDIChildForm& form, TRowGrid* grid, const TDrawRow& drawRow);

// Clears the program's pointer to its window of a kind when it names form.
template <class T> void ForgetChild(T*& instance, const TMDIChildForm* form) {
    if (instance == form)
        instance = nullptr;
}

// Creates the window of kind T in area at the designed default place and shows it. Without
// activate, a window that appears on its own (messages of a compile, the first output) stays on
// top but leaves the window the user works in active, so that its keys still reach it.
template <class T> T* CreateAtDefaultPlace(QMdiArea* area, TModel* model, bool activate = true) {
    QMdiSubWindow* previous = area ? area->activeSubWindow() : nullptr;
    TMDIChildForm::SetNextPlacement(TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
                                    TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
                                    wsNormal);
    auto* form = TMDIChildForm::Create<T>(model);
    if (area)
        area->addSubWindow(form);
    form->show();
    if (!activate && previous) {
        area->setActiveSubWindow(previous);
        form->raise();
    }
    return form;
}

// Brings a window that exists up: an iconic one is restored, then it becomes the active one.
inline void BringUpChild(TMDIChildForm& form, QMdiArea* area) {
    if (form.isMinimized())
        form.showNormal();
    form.raise();
    if (area)
        area->setActiveSubWindow(&form);
}

// The single window of kind T: one that exists comes up when activate asks for it (an iconic
// one is restored even without, with restoreIconic); else a new one at the default place.
template <class T>
T* ShowSingleChild(T* existing, QMdiArea* area, TModel* model, bool activate,
                   bool restoreIconic = false) {
    if (!existing)
        return CreateAtDefaultPlace<T>(area, model, activate);
    if (!area)
        area = existing->mdiArea();
    if (activate) {
        BringUpChild(*existing, area);
    } else if (restoreIconic && existing->isMinimized()) {
        // restoring activates: hand the keys back to the window that had them
        QMdiSubWindow* previous = area ? area->activeSubWindow() : nullptr;
        existing->showNormal();
        if (previous && previous != existing)
            area->setActiveSubWindow(previous);
    }
    return existing;
}

// A shown window in its normal state keeps its rectangle as it is resized or moved.
inline void KeepShownPlace(TWindowRect& place, const TMDIChildForm& form) {
    if (form.isVisible() && form.FormWindowState() == wsNormal)
        place = TWindowRect::FromNormalBounds(form.GetNormalBounds());
}

// A closing window keeps its rectangle, unless it never had one.
inline void KeepClosingPlace(TWindowRect& place, const TMDIChildForm& form) {
    const TWindowRect rect = TWindowRect::FromNormalBounds(form.GetNormalBounds());
    if (!rect.Empty())
        place = rect;
}
