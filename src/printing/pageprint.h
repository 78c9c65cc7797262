#pragma once
// Printing, preview and PDF of pages painted by a function (the result charts), through
// the same printer set-up, dialog and messages as the card. Failures come back as a
// Russian text the window shows under "Ошибка".
#include "printing/cardprintui.h"
#include "printing/cardrender.h"
#include "printing/pages.h"
#include "printing/printpreview.h"

namespace printing {

RenderResult renderPages(QPagedPaintDevice& device, const Pages& pages);
Outcome printPagesOn(QPrinter& printer, const Pages& pages);
// On the printer as it stands (paper, orientation and margins as chosen).
Outcome printPagesAsSetUp(QPrinter& printer, const Pages& pages);
// Built whole in memory, then written atomically: a failure keeps an older file.
Outcome savePagesPdf(const QString& path, const Pages& pages);
Outcome printPagesWithDialog(QWidget* parent, const Pages& pages);
// The same on a printer already set up (the preview's, after its page set-up).
Outcome printPagesWithDialogOn(QPrinter& printer, QWidget* parent, const Pages& pages);
Outcome savePagesPdfWithDialog(QWidget* parent, const Pages& pages);

// The card's preview for painted pages; failures of its buttons go to `report`.
class PagesPreview : public PreviewDialog {
    Q_OBJECT
  public:
    PagesPreview(Pages pages, Report report, QWidget* parent = nullptr);

    // Unset, printing opens the print dialog on the preview's printer.
    using Action = std::function<Outcome(QWidget*, const Pages&)>;
    void setPrintAction(Action action) { m_print = std::move(action); }
    void setSaveAction(Action action) { m_save = std::move(action); }

  protected:
    void paintPages(QPrinter& printer) override;
    Outcome printNow() override;
    Outcome savePdfNow() override;

  private:
    Pages m_pages;
    Action m_print;
    Action m_save = savePagesPdfWithDialog;
};

} // namespace printing
