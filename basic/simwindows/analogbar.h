// A horizontal value bar: filled from the left up to its thumb, dragged with the mouse or moved
// with the keys.
#pragma once

#include <QColor>
#include <QWidget>

namespace harvel {

class TMireltAnalogBar : public QWidget {
    Q_OBJECT

public:
    explicit TMireltAnalogBar(QWidget* parent = nullptr);

    int Value() const { return value_; }
    void SetValue(int value);
    int MinValue() const { return min_; }
    void SetMinValue(int value);
    int MaxValue() const { return max_; }
    void SetMaxValue(int value);
    int ValueDelta() const { return delta_; }
    void SetValueDelta(int delta) { delta_ = delta; }
    int ValueDeltaPage() const { return deltaPage_; }
    void SetValueDeltaPage(int delta) { deltaPage_ = delta; }
    QColor BackgroundColor() const { return background_; }
    void SetBackgroundColor(const QColor& color);
    QColor ForegroundColor() const { return foreground_; }
    void SetForegroundColor(const QColor& color);

    // Left edge of the thumb in pixels: the filled part ends 4 pixels further.
    int ThumbPos() const { return thumb_; }
    bool Dragging() const { return dragging_; }

    QSize sizeHint() const override { return QSize(108, 20); }

signals:
    void Changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int Clamped(int value) const;
    void UpdateThumb();
    bool OnThumb(const QPoint& pos) const;
    void Drag(int x);

    int value_ = 0;
    int min_ = 0;
    int max_ = 100;
    int delta_ = 1;
    int deltaPage_ = 10;
    QColor background_;
    QColor foreground_ = QColor(0x00, 0xFF, 0x00);
    int thumb_ = 0;
    bool dragging_ = false;
};

} // namespace harvel
