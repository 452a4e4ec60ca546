// The 8 analog inputs of the simulated unit as bars the user drags, and its 2 analog outputs.
#pragma once

#include "framework/simwindows/toolwindow.h"

#include <array>

class TAnalogPortForm : public TToolWindow {
    Q_OBJECT

public:
    explicit TAnalogPortForm(QWidget* owner);
    ~TAnalogPortForm() override;

    void UpdateAnalogInputs();
    void UpdateAnalogOutputs();

    // Filled length in pixels of a bar showing value.
    static int BarLength(int value);
    // Bar of input channel 1..8, and of output 1..2.
    static QRect InputBar(int channel);
    static QRect OutputBar(int output);
    // The input channel whose bar end lies under pos, or -1.
    int HitTest(const QPoint& pos) const;
    int DragChannel() const { return dragChannel_; }

protected:
    void Unregister() override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FollowMouse(int x);
    void DrawBar(QPainter& painter, const QRect& bar, int value, const QColor& fill);

    std::array<int, 8> drawnIn_{};
    std::array<int, 2> drawnOut_{};
    int dragChannel_ = -1;
    QRect dragBar_;
    int lastDragX_ = -1;
};

extern TAnalogPortForm* AnalogPortForm;
// Settings section "AnalogPortWindow"; ADValuesSaved keeps the inputs for the next start.
extern TWindowRect AnalogPortRect;
extern bool ADValuesSaved;

TAnalogPortForm* ShowAnalogPortWindow(QWidget* owner, bool hidden);
void ReadAnalogPortSettings(TWinRegistry& reg, QWidget* owner);
void WriteAnalogPortSettings(TWinRegistry& reg);
void UpdateAnalogInputs();
void UpdateAnalogOutputs();
