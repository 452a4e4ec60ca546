// The client of both programs' watch windows: a header "Variable" / "Wert" over a grid of
// owner-drawn rows, the name column kept at 65 pixels or more and the value column at 45 or
// more, and the grid's local menu of commands.
#pragma once

#include <QWidget>
#include <functional>

class QHeaderView;
class QKeySequence;
class QMenu;
class TRowGrid;

class TWatchColumns : public QWidget {
public:
    TWatchColumns(int nameWidth, QWidget* parent = nullptr);

    QHeaderView* Header() const { return header_; }
    TRowGrid* Grid() const { return grid_; }
    QMenu* Menu() const { return menu_; }
    // Where a row's value is drawn.
    int ValueColumnX() const { return valueColumnX_; }

    // A local menu item carrying command tag. Its key is only shown: the window's grid key
    // handler carries the keys out.
    void AddCommand(int tag, const QString& text, const QKeySequence& key);
    std::function<bool(int tag)> IsCommandEnabled;
    std::function<void(int tag)> DoCommand;
    // Told the name column's width after every layout.
    std::function<void(int width)> NameWidthChanged;

    // The grid's font and background; rows and header take the font's character height
    // plus 8.
    void SetViewFont(const QFont& font, const QColor& background);
    void LayoutColumns();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QHeaderView* header_;
    TRowGrid* grid_;
    QMenu* menu_;
    int valueColumnX_ = 102;
    bool layingOut_ = false;
};
