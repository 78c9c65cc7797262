// The print module's entry point: the table of what it offers the program.
#include "printing/cardpreview.h"
#include "printing/cardprintui.h"
#include "printing/pageprint.h"
#include "printing/printmodule.h"

namespace printing {
namespace {

Outcome previewCard(QWidget* parent, const Card& card, const Report& report) {
    CardPreview preview(card, report, parent);
    preview.exec();
    return {};
}

Outcome previewPages(QWidget* parent, const Pages& pages, const Report& report) {
    PagesPreview preview(pages, report, parent);
    preview.exec();
    return {};
}

const PrintFunctions kFunctions{
    printWithDialog,        savePdfWithDialog, savePdf,      previewCard,
    savePagesPdfWithDialog, savePagesPdf,      previewPages,
};

} // namespace
} // namespace printing

extern "C" Q_DECL_EXPORT const printing::PrintFunctions* tavenPrintFunctions(int version) {
    return version == printing::kPrintModuleVersion ? &printing::kFunctions : nullptr;
}

static_assert(std::is_same_v<decltype(&tavenPrintFunctions), printing::PrintModuleEntry>,
              "the module's entry point must match what the program looks up");
