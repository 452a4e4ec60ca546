#include "framework/printing.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

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
