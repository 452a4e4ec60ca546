// The one printer of a program: the printer set-up and every print dialog start from it and
// leave their choice there.
#pragma once

class QPrinter;
class QWidget;

QPrinter& ProgramPrinter();
// The print dialog for printer, preset from the program's printer. selection offers printing
// the selection only; selectionChosen (may be null) tells whether it was chosen.
bool RunPrintDialog(QPrinter& printer, QWidget* owner, bool selection, bool* selectionChosen);
// "Druckereinrichtung...": page and printer of the program's printer.
void RunPrinterSetup(QWidget* owner);
