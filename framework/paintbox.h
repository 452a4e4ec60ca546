// A plain drawing surface whose owner paints it through OnPaint.
#pragma once

#include <QWidget>
#include <functional>

class QPainter;

class THandlePaintBox : public QWidget {
    Q_OBJECT

public:
    explicit THandlePaintBox(QWidget* parent = nullptr);

    // Called on every paint with a painter set to the control's font and brush colour.
    std::function<void(THandlePaintBox*, QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
};
