// Tool bar row, its panels, the divider line and the side panel the user resizes by its edge.
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

class QIcon;
class QToolButton;

// A one-pixel black line under the menu.
class TToolbarDivider : public QWidget {
    Q_OBJECT

public:
    explicit TToolbarDivider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// One panel of tool buttons; its width follows its rightmost control, or its layout when it
// has one (a panel whose layout can narrow gives up room when its row is short of it).
class TMHToolbar : public QWidget {
    Q_OBJECT

public:
    explicit TMHToolbar(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    void SetLastControl(QWidget* control) { lastControl_ = control; }
    QWidget* LastControl() const { return lastControl_; }
    // A flat 23x22 button with a 16x16 icon and its hint, placed after the last control.
    QToolButton* AddButton(const QString& hint, const QIcon& icon);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> lastControl_;
};

// Side of the parent a row or panel is attached to.
enum class TAlign { Top, Bottom, Left, Right };

// A row of tool bar panels laid out left to right, with etched separators. A panel that does
// not fit into what remains of a line is narrowed as far as it allows, else it starts a further
// line; a new width lays the panels out anew.
class TDockToolbar : public QWidget {
    Q_OBJECT

public:
    explicit TDockToolbar(QWidget* parent = nullptr);

    void SetAlign(TAlign align) { align_ = align; }
    TAlign Align() const { return align_; }

    // Called once the panels are in place: collects them and lays them out.
    void Loaded();
    // Collects the panels among the children, sorted by their left edge.
    void UpdateToolbars();
    void InsertToolbar(TMHToolbar* panel);
    // With reposition, places the visible panels side by side; always adapts the height.
    void ArrangeToolbars(bool reposition);
    const std::vector<TMHToolbar*>& Panels() const { return panels_; }
    // As wide as the panel that needs the most room at its narrowest.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int LineGap = 2;

    int TopOffset() const { return align_ == TAlign::Bottom ? 0 : 2; }
    // Where the panels may reach: the row's width once it has been given one.
    int LineWidth() const;
    // The top of the line a panel standing at y belongs to, and where that line ends.
    int LineTop(int y) const;
    int LineBottom(int y) const;

    std::vector<TMHToolbar*> panels_;
    // Tops of the lines after the first.
    std::vector<int> furtherLines_;
    TAlign align_ = TAlign::Top;
    bool updating_ = false;
};

// A panel on the left (or top) of its parent whose inner edge the user drags to resize it.
// Its children fill the inner rectangle.
class TResizeToolbar : public QWidget {
    Q_OBJECT

public:
    static constexpr int EdgeZone = 4;
    static constexpr int MinimumSize = 10;

    explicit TResizeToolbar(QWidget* parent = nullptr);

    void SetAlign(TAlign align);
    TAlign Align() const { return align_; }
    bool Dragging() const { return dragging_; }
    // Where the children go: inset by 3, and 6 more on the edge side; off-screen when empty.
    QRect ChildRect() const;

protected:
    virtual void MoveResizeLine(int x, int y);
    virtual void ResizeToLine();

    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool Horizontal() const { return align_ == TAlign::Left || align_ == TAlign::Right; }
    bool NearEdge(const QPoint& pos) const;
    // The line position along the resize direction, in parent coordinates, kept in bounds.
    int ClampLine(int position) const;
    void PlaceChildren();

    TAlign align_ = TAlign::Left;
    bool dragging_ = false;
    bool captured_ = false;
    int dragStart_ = 0;
    int linePos_ = -1;
    QWidget* line_ = nullptr;
};
