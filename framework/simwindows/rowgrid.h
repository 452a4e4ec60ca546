// A one-column grid of owner-drawn rows of equal height, with a current row, scrolling by rows
// and an optional horizontal scroll bar when the column is wider than the view.
#pragma once

#include <QAbstractScrollArea>
#include <functional>

class TRowGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TRowGrid(QWidget* parent = nullptr);

    // Paints row into rect (viewport coordinates); the painter uses the grid's font.
    std::function<void(QPainter& painter, int row, const QRect& rect)> DrawCell;
    // Returns true when the key was taken.
    std::function<bool(QKeyEvent* event)> KeyDown;
    std::function<void()> DoubleClick;

    int RowCount() const { return rowCount_; }
    void SetRowCount(int count);
    int RowHeight() const { return rowHeight_; }
    void SetRowHeight(int height);
    // The grid's font; the rows are its character height (its size in pixels) + 8 apart.
    void SetRowFont(const QFont& font);
    static int RowHeightFor(const QFont& font);
    int ColumnWidth() const { return columnWidth_; }
    void SetColumnWidth(int width);
    int CurrentRow() const { return currentRow_; }
    // Makes row current and scrolls it into view.
    void SetCurrentRow(int row);
    int TopRow() const;
    int VisibleRows() const;
    // Viewport rectangle of row (may lie outside the viewport).
    QRect RowRect(int row) const;
    // Row under viewport y, or -1.
    int RowAt(int y) const;
    void InvalidateRow(int row);
    void SetBackground(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollBars();

    int rowCount_ = 1;
    int rowHeight_ = 18;
    int columnWidth_ = 0;
    int currentRow_ = 0;
};
