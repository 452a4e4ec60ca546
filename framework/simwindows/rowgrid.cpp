#include "framework/simwindows/rowgrid.h"

#include "platform/qt/failure.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

TRowGrid::TRowGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setTracking(true);
    viewport()->setAutoFillBackground(true);
    UpdateScrollBars();
}

void TRowGrid::SetRowCount(int count) {
    rowCount_ = std::max(count, 0);
    if (currentRow_ >= rowCount_)
        currentRow_ = std::max(rowCount_ - 1, 0);
    UpdateScrollBars();
    viewport()->update();
}

void TRowGrid::SetRowHeight(int height) {
    rowHeight_ = std::max(height, 1);
    UpdateScrollBars();
    viewport()->update();
}

void TRowGrid::SetRowFont(const QFont& font) {
    setFont(font);
    SetRowHeight(RowHeightFor(font));
}

int TRowGrid::RowHeightFor(const QFont& font) {
    // the character height, not the line spacing (which adds the leading)
    return QFontInfo(font).pixelSize() + 8;
}

void TRowGrid::SetColumnWidth(int width) {
    columnWidth_ = std::max(width, 0);
    UpdateScrollBars();
    viewport()->update();
}

void TRowGrid::SetCurrentRow(int row) {
    if (row < 0 || row >= rowCount_)
        return;
    if (row != currentRow_) {
        InvalidateRow(currentRow_);
        currentRow_ = row;
        InvalidateRow(currentRow_);
    }
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + VisibleRows())
        bar->setValue(row - VisibleRows() + 1);
}

int TRowGrid::TopRow() const {
    return verticalScrollBar()->value();
}

int TRowGrid::VisibleRows() const {
    return std::max(viewport()->height() / rowHeight_, 1);
}

QRect TRowGrid::RowRect(int row) const {
    const int width = std::max(columnWidth_, viewport()->width());
    return QRect(-horizontalScrollBar()->value(), (row - TopRow()) * rowHeight_, width, rowHeight_);
}

int TRowGrid::RowAt(int y) const {
    if (y < 0)
        return -1;
    const int row = TopRow() + y / rowHeight_;
    return row < rowCount_ ? row : -1;
}

void TRowGrid::InvalidateRow(int row) {
    viewport()->update(RowRect(row));
}

void TRowGrid::SetBackground(const QColor& color) {
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::Window, color);
    viewport()->setPalette(pal);
    viewport()->update();
}

void TRowGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    const int first = RowAt(event->rect().top());
    if (first < 0 || !DrawCell)
        return;
    for (int row = first; row < rowCount_; ++row) {
        const QRect rect = RowRect(row);
        if (rect.top() > event->rect().bottom())
            break;
        painter.save();
        painter.setClipRect(rect & event->rect());
        DrawCell(painter, row, rect);
        painter.restore();
    }
}

void TRowGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TRowGrid::keyPressEvent(QKeyEvent* event) {
    platform::GuardEvent(event, [&] {
        if (KeyDown && KeyDown(event))
            return;
        switch (event->key()) {
        case Qt::Key_Up:
            SetCurrentRow(currentRow_ - 1);
            break;
        case Qt::Key_Down:
            SetCurrentRow(currentRow_ + 1);
            break;
        case Qt::Key_PageUp:
            SetCurrentRow(std::max(currentRow_ - VisibleRows(), 0));
            break;
        case Qt::Key_PageDown:
            SetCurrentRow(std::min(currentRow_ + VisibleRows(), rowCount_ - 1));
            break;
        case Qt::Key_Home:
            SetCurrentRow(0);
            break;
        case Qt::Key_End:
            SetCurrentRow(rowCount_ - 1);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
        }
    });
}

void TRowGrid::mousePressEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        const int row = RowAt(event->position().toPoint().y());
        if (row >= 0)
            SetCurrentRow(row);
        QAbstractScrollArea::mousePressEvent(event);
    });
}

void TRowGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        mousePressEvent(event);
        if (DoubleClick)
            DoubleClick();
    });
}

void TRowGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

void TRowGrid::UpdateScrollBars() {
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(rowCount_ - VisibleRows(), 0));
    bar->setPageStep(VisibleRows());
    QScrollBar* hbar = horizontalScrollBar();
    hbar->setRange(0, std::max(columnWidth_ - viewport()->width(), 0));
    hbar->setPageStep(viewport()->width());
}
