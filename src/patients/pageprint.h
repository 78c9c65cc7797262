#pragma once
// Printing, preview and PDF of pages painted by a function (the result charts), through
// the same printer set-up, dialog and messages as the card. Failures come back as a
// Russian text the window shows under "Ошибка".
#include "patients/cardprintui.h"
#include "patients/cardrender.h"
#include "patients/pages.h"

#include <QDialog>
#include <QPrinter>

class QPrintPreviewWidget;
class QPushButton;

namespace cardprint {

RenderResult renderPages(QPagedPaintDevice& device, const Pages& pages);
Outcome printPagesOn(QPrinter& printer, const Pages& pages);
// Built whole in memory, then written atomically: a failure keeps an older file.
Outcome savePagesPdf(const QString& path, const Pages& pages);
Outcome printPagesWithDialog(QWidget* parent, const Pages& pages);
Outcome savePagesPdfWithDialog(QWidget* parent, const Pages& pages);

// The card's preview dialog for painted pages; failures of its buttons go to `report`.
class PagesPreview : public QDialog {
    Q_OBJECT
  public:
    PagesPreview(Pages pages, Report report, QWidget* parent = nullptr);

    using Action = std::function<Outcome(QWidget*, const Pages&)>;
    void setPrintAction(Action action) { m_print = std::move(action); }
    void setSaveAction(Action action) { m_save = std::move(action); }

    int pageCount() const;
    void cmdprint_Click();
    void cmdpdf_Click();

  private:
    Pages m_pages;
    Report m_report;
    QPrinter m_printer{QPrinter::HighResolution};
    QPrintPreviewWidget* m_view = nullptr;
    Action m_print = printPagesWithDialog;
    Action m_save = savePagesPdfWithDialog;
};

} // namespace cardprint
