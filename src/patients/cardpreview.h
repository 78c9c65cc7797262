#pragma once
// The print preview of a card, with printing and saving as PDF from it. A failure of either
// goes to the window's report, which shows it above the preview.
#include "patients/cardprintui.h"

#include <QDialog>
#include <QPrinter>
#include <functional>

class QCheckBox;
class QPrintPreviewWidget;
class QPushButton;

namespace cardprint {

class CardPreview : public QDialog {
    Q_OBJECT
  public:
    CardPreview(const Card& card, Report report, QWidget* parent = nullptr);

    // What the buttons do after their dialog; tests put in their own to skip the dialogs.
    using Action = std::function<Outcome(QWidget*, const Card&)>;
    void setPrintAction(Action action) { m_print = std::move(action); }
    void setSaveAction(Action action) { m_save = std::move(action); }

    int pageCount() const;
    // The card as printed and saved from here, the chart page as chosen.
    const Card& card() const { return m_card; }
    void cmdprint_Click();
    void cmdpdf_Click();

    QCheckBox* chkchart = nullptr;

  private:
    void report(const Outcome& outcome);

    Card m_card;
    Report m_report;
    QPrinter m_printer{QPrinter::HighResolution};
    QPrintPreviewWidget* m_view = nullptr;
    QPushButton* m_cmdprint = nullptr;
    QPushButton* m_cmdpdf = nullptr;
    QPushButton* m_cmdclose = nullptr;
    Action m_print = printWithDialog;
    Action m_save = savePdfWithDialog;
};

} // namespace cardprint
