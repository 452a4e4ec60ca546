#include "framework/printing.h"

#include <QFont>
#include <QFontMetrics>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <cmath>

namespace {

// The set-up a print dialog or the printer set-up chose, handed from one printer to another.
void CopyPrinterSetup(const QPrinter& from, QPrinter& to) {
    if (from.outputFormat() == QPrinter::PdfFormat)
        to.setOutputFileName(from.outputFileName());
    else
        to.setPrinterName(from.printerName());
    to.setPageLayout(from.pageLayout());
    to.setColorMode(from.colorMode());
    to.setDuplex(from.duplex());
    to.setCopyCount(from.copyCount());
}

} // namespace

QPrinter& ProgramPrinter() {
    // Reachable to the end: the printer outlives every window that prints.
    static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

bool RunPrintDialog(QPrinter& printer, QWidget* owner, bool selection, bool* selectionChosen) {
    CopyPrinterSetup(ProgramPrinter(), printer);
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (selectionChosen)
        *selectionChosen = dialog.printRange() == QAbstractPrintDialog::Selection;
    CopyPrinterSetup(printer, ProgramPrinter());
    return true;
}

void RunPrinterSetup(QWidget* owner) {
    QPageSetupDialog dialog(&ProgramPrinter(), owner);
    dialog.exec();
}

QRect PrintArea(const QPagedPaintDevice& device, const QMarginsF& millimetres) {
    const QPageLayout layout = device.pageLayout();
    const int resolutionX = device.logicalDpiX();
    const int resolutionY = device.logicalDpiY();
    const QRect full = layout.fullRectPixels(resolutionX);
    const QRect paintable = layout.paintRectPixels(resolutionX);
    const auto pixels = [](double mm, int resolution) {
        return int(std::lround(mm * resolution / 25.4));
    };
    const int left = pixels(millimetres.left(), resolutionX) - paintable.left();
    const int top = pixels(millimetres.top(), resolutionY) - paintable.top();
    const int right = full.width() - pixels(millimetres.right(), resolutionX) - paintable.left();
    const int bottom = full.height() - pixels(millimetres.bottom(), resolutionY) - paintable.top();
    if (right <= left || bottom <= top)
        return {};
    return QRect(left, top, right - left, bottom - top);
}

int PaintListing(QPainter& painter, const QRect& area, const QFont& font, const QString& title,
                 const QStringList& lines, const std::function<void()>& newPage) {
    painter.save();
    painter.setFont(font);
    painter.setClipRect(area); // long lines end at the right margin
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = metrics.lineSpacing();
    // heading line, rule, and a blank line's room before the text
    const int headingHeight = 2 * lineHeight;
    int page = 0;
    int y = 0;
    const auto startPage = [&] {
        if (page > 0 && newPage)
            newPage();
        ++page;
        const int baseline = area.top() + metrics.ascent();
        painter.drawText(area.left(), baseline, title);
        const QString number = QStringLiteral("Seite %1").arg(page);
        painter.drawText(area.right() + 1 - metrics.horizontalAdvance(number), baseline, number);
        const int rule = area.top() + lineHeight + lineHeight / 4;
        painter.drawLine(area.left(), rule, area.right(), rule);
        y = area.top() + headingHeight;
    };
    startPage();
    for (const QString& line : lines) {
        if (y + lineHeight > area.bottom() + 1 && y > area.top() + headingHeight)
            startPage();
        painter.drawText(area.left(), y + metrics.ascent(), line);
        y += lineHeight;
    }
    painter.restore();
    return page;
}

bool PrintListing(QPrinter& printer, const QFont& font, const QString& title,
                  const QStringList& lines) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect area = PrintArea(printer, PrintMargins);
    PaintListing(painter, area.isEmpty() ? painter.viewport() : area, QFont(font, &printer), title,
                 lines, [&printer] { printer.newPage(); });
    painter.end();
    return true;
}
