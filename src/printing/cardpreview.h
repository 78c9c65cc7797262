#pragma once
// The print preview of a card, with printing and saving as PDF from it, and the visit's
// chart page as a choice when the card offers one. A failure of either goes to the
// window's report, which shows it above the preview.
#include "printing/cardprintui.h"
#include "printing/printpreview.h"

#include <functional>

class QCheckBox;

namespace printing {

class CardPreview : public PreviewDialog {
    Q_OBJECT
  public:
    CardPreview(const Card& card, Report report, QWidget* parent = nullptr);

    // What the buttons do after their dialog; tests put in their own to skip the dialogs.
    // Unset, printing opens the print dialog on the preview's printer.
    using Action = std::function<Outcome(QWidget*, const Card&)>;
    void setPrintAction(Action action) { m_print = std::move(action); }
    void setSaveAction(Action action) { m_save = std::move(action); }

    // The card as printed and saved from here, the chart page as chosen.
    const Card& card() const { return m_card; }

    QCheckBox* chkchart = nullptr;

  protected:
    void paintPages(QPrinter& printer) override;
    Outcome printNow() override;
    Outcome savePdfNow() override;

  private:
    Card m_card;
    Action m_print;
    Action m_save = savePdfWithDialog;
};

} // namespace printing
