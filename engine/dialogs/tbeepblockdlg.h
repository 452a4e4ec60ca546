// The beeper's melody: a grid of tone, duration and pause rows with buttons for the scale.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace quendal {

class TBeepBlockDlg : public QDialog {
public:
    static constexpr int kRows = 29;
    static constexpr int kColumns = 3;

    explicit TBeepBlockDlg(QWidget* owner);
    // The melody's numbers fill the cells row by row; cells past its end stay empty.
    void SetMelody(const QString& melody);
    // Every cell row by row, each followed by a blank; an empty cell counts 0.
    QString Melody() const;
    // The first cell, row by row, that holds no number from 0 to 65535; -1 row when none.
    struct Cell {
        int Row = -1;
        int Column = -1;
    };
    Cell FirstBadCell() const;
    // Closes the dialog unless a cell holds no number; that cell is named and made current.
    void OkButtonClick();

    QLabel* label;
    QTableWidget* melody;
    QPushButton* Button[8];
};

} // namespace quendal
