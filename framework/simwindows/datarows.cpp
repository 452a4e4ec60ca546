#include "framework/simwindows/datarows.h"

#include "framework/simwindows/rowgrid.h"

#include <QPainter>
#include <algorithm>
#include <cstdio>

int DataValueChars(bool hex) {
    return hex ? 5 : 7;
}

QString FormatDataValue(uint16_t word, bool hex) {
    char text[16];
    if (hex)
        std::snprintf(text, sizeof text, "%5.4X", unsigned(word));
    else
        std::snprintf(text, sizeof text, "%7d", int(int16_t(word)));
    return QString::fromLatin1(text);
}

int DataValuesPerRow(int width, int charWidth, bool hex) {
    charWidth = std::max(charWidth, 1);
    return std::max((width - 10 - 4 * charWidth) / (DataValueChars(hex) * charWidth), 1);
}

void TDataRows::Layout(int length, bool hex) {
    // measured each time: the font may have changed since
    charWidth_ = std::max(QFontMetrics(grid_->font()).horizontalAdvance(QLatin1Char('8')), 1);
    const int clientWidth = grid_->viewport()->width();
    grid_->SetColumnWidth(clientWidth);
    valuesPerRow_ = DataValuesPerRow(clientWidth, charWidth_, hex);
    grid_->SetRowCount(std::max((length + valuesPerRow_ - 1) / valuesPerRow_, 1));
    grid_->SetCurrentRow(grid_->RowCount() - 1);
}

void TDataRows::Refresh(int length, int previousLength, bool hex) {
    Layout(length, hex);
    const int from = std::min(length, shownLength_) / valuesPerRow_;
    const int to = std::max(length, shownLength_) / valuesPerRow_;
    if (length != shownLength_) {
        for (int row = from; row <= to; ++row)
            grid_->InvalidateRow(row);
    }
    shownLength_ = std::clamp(previousLength, 0, length);
}

void TDataRows::RowTexts(int row, int length, bool hex, QString& seen, QString& added) const {
    seen.clear();
    added.clear();
    const int first = row * valuesPerRow_;
    const int last = std::min((row + 1) * valuesPerRow_ - 1, length - 1);
    for (int i = first; Word && i <= last; ++i)
        (i < shownLength_ ? seen : added) += FormatDataValue(Word(i), hex);
}

void TDataRows::DrawRow(QPainter& painter, const QRect& rect, int row, int length, bool hex,
                        const TDataColors& colors) const {
    painter.fillRect(rect, colors.back);
    const int baseline = rect.top() + 2 + painter.fontMetrics().ascent();
    if (length <= 0) {
        if (row == 0) {
            painter.setPen(colors.text);
            painter.drawText(rect.left() + 4, baseline,
                             QStringLiteral("Keine Daten aufgezeichnet"));
        }
        return;
    }
    char index[16];
    std::snprintf(index, sizeof index, "%4d", row * valuesPerRow_);
    painter.setPen(colors.index);
    painter.drawText(rect.left() + 4, baseline, QString::fromLatin1(index));
    QString seen, added;
    RowTexts(row, length, hex, seen, added);
    const int x = rect.left() + 4 * charWidth_ + 4;
    painter.setPen(colors.text);
    painter.drawText(x, baseline, seen);
    painter.setPen(colors.changed);
    painter.drawText(x + charWidth_ * int(seen.size()), baseline, added);
}
