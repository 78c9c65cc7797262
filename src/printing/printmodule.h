#pragma once
// What the print module (tavenprint) offers the program. It is loaded on the first print,
// preview or PDF: linked in, Qt Print Support would be loaded and relocated at every start.
// Only plain types cross: the module is built by the same compiler against the same Qt.
#include "printing/cardlayout.h"
#include "printing/pages.h"
#include "printing/printoutcome.h"

namespace printing {

struct PrintFunctions {
    // The print dialog, then printing.
    Outcome (*printWithDialog)(QWidget* parent, const Card& card);
    // A file dialog for the PDF's name, then saving.
    Outcome (*savePdfWithDialog)(QWidget* parent, const Card& card);
    Outcome (*savePdf)(const QString& path, const Card& card);
    // The modal preview; its buttons' failures go to `report` while it stays open.
    Outcome (*previewCard)(QWidget* parent, const Card& card, const Report& report);
    Outcome (*savePagesPdfWithDialog)(QWidget* parent, const Pages& pages);
    Outcome (*savePagesPdf)(const QString& path, const Pages& pages);
    Outcome (*previewPages)(QWidget* parent, const Pages& pages, const Report& report);
};

// Raised whenever PrintFunctions or a type in it changes, so that a module left from
// another build is refused instead of called.
inline constexpr int kPrintModuleVersion = 1;

// The module's one entry point, an extern "C" function of this name: the table, or nullptr
// for another version. The table lives as long as the module, which is never unloaded.
inline constexpr char kPrintModuleEntry[] = "tavenPrintFunctions";
using PrintModuleEntry = const PrintFunctions* (*)(int version);

} // namespace printing
