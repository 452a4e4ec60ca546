// The one printer of a program: the printer set-up and every print dialog start from it and
// leave their choice there.
#pragma once

#include <QMarginsF>
#include <QRect>
#include <QStringList>
#include <functional>

class QFont;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

QPrinter& ProgramPrinter();
// The print dialog for printer, preset from the program's printer. selection offers printing
// the selection only; selectionChosen (may be null) tells whether it was chosen.
bool RunPrintDialog(QPrinter& printer, QWidget* owner, bool selection, bool* selectionChosen);
// "Druckereinrichtung...": page and printer of the program's printer.
void RunPrinterSetup(QWidget* owner);

// The part of a page inside margins in millimetres, measured on the whole sheet, in the device
// coordinates of a painter begun on it (its origin lies at the printable area). Empty when the
// margins leave no room.
QRect PrintArea(const QPagedPaintDevice& device, const QMarginsF& millimetres);
// The margins of every printout: 20 mm left, top and bottom, 10 mm right.
inline const QMarginsF PrintMargins{20, 20, 10, 20};

// Paints lines as a listing into area in font: each page starts with a heading of title at the
// left and "Seite n" at the right over a rule; newPage turns to the next page. Returns the
// number of pages.
int PaintListing(QPainter& painter, const QRect& area, const QFont& font, const QString& title,
                 const QStringList& lines, const std::function<void()>& newPage);
// The listing on printer, inside the printout margins. False when the printer cannot start.
bool PrintListing(QPrinter& printer, const QFont& font, const QString& title,
                  const QStringList& lines);
