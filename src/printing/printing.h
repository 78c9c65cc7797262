#pragma once
// Printing, preview and PDF as the windows call them. The work is done by the print module,
// loaded here on first use; when it cannot be found or loaded, each call fails with a text
// saying so, for the window to show like any other print failure.
#include "printing/cardlayout.h"
#include "printing/pages.h"
#include "printing/printoutcome.h"

#include <QStringList>
#include <optional>

namespace printing {

// The print dialog, then printing.
Outcome printCard(QWidget* parent, const Card& card);
// A file dialog for the PDF's name, then saving.
Outcome saveCardPdf(QWidget* parent, const Card& card);
Outcome saveCardPdfTo(const QString& path, const Card& card);
// The modal preview, with printing and PDF; their failures go to `report` meanwhile.
Outcome previewCard(QWidget* parent, const Card& card, const Report& report);
Outcome previewPages(QWidget* parent, const Pages& pages, const Report& report);
Outcome savePagesPdf(QWidget* parent, const Pages& pages);
Outcome savePagesPdfTo(const QString& path, const Pages& pages);

// Where the module is looked for, the first that loads wins: next to the program, then in
// the installed library folder.
QStringList modulesFor(const QString& programDir);
// Looks there instead (tests); unset: next to this program. Forgets a module found before.
void setModules(std::optional<QStringList> paths);

} // namespace printing
