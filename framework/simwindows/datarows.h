// A recorded data file of 16-bit words in a row grid: each row starts with the index of its
// first value, then as many values as fit; the values recorded since the last refresh are
// drawn in their own colour.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <functional>

class QPainter;
class QRect;
class TRowGrid;

// Characters of one value: "%7d" of the signed word, or "%5.4X" of the word.
int DataValueChars(bool hex);
QString FormatDataValue(uint16_t word, bool hex);
// Values beside the four-digit index in a row width pixels wide; at least 1, so that a window
// too narrow for one value still shows one per row.
int DataValuesPerRow(int width, int charWidth, bool hex);

struct TDataColors {
    QColor back, text, index, changed;
};

class TDataRows {
public:
    explicit TDataRows(TRowGrid* grid) : grid_(grid) {}

    // Value i (0 <= i < length) of the file.
    std::function<uint16_t(int)> Word;

    int ValuesPerRow() const { return valuesPerRow_; }
    int ShownLength() const { return shownLength_; }
    // At show: every value counts as new until the next refresh.
    void ResetShown() { shownLength_ = 0; }

    // Values per row and row count for the grid's width; the last row becomes current.
    void Layout(int length, bool hex);
    // Layout, then the rows between the shown and the new end are redrawn; the values from
    // previousLength on are the new ones from now on.
    void Refresh(int length, int previousLength, bool hex);
    // The values of row: those shown before and the new ones.
    void RowTexts(int row, int length, bool hex, QString& seen, QString& added) const;
    void DrawRow(QPainter& painter, const QRect& rect, int row, int length, bool hex,
                 const TDataColors& colors) const;

private:
    TRowGrid* grid_;
    int charWidth_ = 0;
    int valuesPerRow_ = 1;
    int shownLength_ = 0;
};
