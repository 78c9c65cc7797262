#pragma once
// Qt's standard print preview (zoom, page navigation, page set-up) for the card and the
// charts, with the program's own printing behind its print button (the print dialog and
// failures told as text), "Сохранить PDF" beside it, and a size that fits the screen it
// opens on. Printing from here uses the preview's printer, so the page set-up holds.
#include "printing/printoutcome.h"

#include <QPageLayout>
#include <QPrintPreviewDialog>

class QPrintPreviewWidget;
class QToolBar;

namespace printing {

// Where a window that would take `wanted` opens on a screen whose free area is
// `available`: inside it with room for the window's frame, centred.
QRect fittedGeometry(const QRect& available, const QSize& wanted);

class PreviewDialog : public QPrintPreviewDialog {
    Q_OBJECT
  public:
    // Pages laid out `orientation` on the printer's paper; `wanted` is the size the window
    // takes where the screen has room.
    PreviewDialog(QPageLayout::Orientation orientation, const QSize& wanted, Report report, QWidget* parent);

    int pageCount();
    // The toolbar's print button and "Сохранить PDF": a printing done closes the preview, a
    // failure goes to the report and the preview stays.
    void cmdprint_Click();
    void cmdpdf_Click();

  protected:
    virtual void paintPages(QPrinter& printer) = 0;
    virtual Outcome printNow() = 0;
    virtual Outcome savePdfNow() = 0;
    QToolBar* toolBar() const;
    // The pages painted again after a choice changed them.
    void refresh();

  private:
    void takeOverPrinting();

    Report m_report;
    QPrintPreviewWidget* m_view = nullptr;
};

} // namespace printing
