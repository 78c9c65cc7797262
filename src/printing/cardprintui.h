#pragma once
// Printing the card, and saving it as PDF, for the card window. Failures come back as a
// Russian text the window shows under "Ошибка"; nothing here shows a message box.
#include "printing/cardlayout.h"
#include "printing/printoutcome.h"

#include <QString>

class QPrinter;
class QWidget;

namespace printing {

// The caption of the choice to print the visit's chart after the card.
extern const QString kChartChoice;

// A4 portrait; a printer keeps its own unprintable rim, a PDF gets a rim like a printer's.
void preparePrinter(QPrinter& printer);

// Prints on the printer, set up for the card first, without a dialog.
Outcome printOn(QPrinter& printer, const Card& card);
// Prints on the printer as it stands (paper, orientation and margins as chosen).
Outcome printAsSetUp(QPrinter& printer, const Card& card);
// Writes the card as PDF; an existing file stays as it was when the writing fails.
Outcome savePdf(const QString& path, const Card& card);

// The print dialog's tab with the chart choice, for a card that offers a chart page;
// null for one that does not.
QWidget* chartOptionTab(const Card& card, QWidget* parent);
// The system's print dialog (printer, copies; the chart choice on a tab of its own where the
// dialog shows tabs), then printing.
Outcome printWithDialog(QWidget* parent, const Card& card);
// The same on a printer already set up (the preview's, after its page set-up).
Outcome printWithDialogOn(QPrinter& printer, QWidget* parent, const Card& card);
// A file dialog for the PDF's name, then saving.
Outcome savePdfWithDialog(QWidget* parent, const Card& card);

} // namespace printing
