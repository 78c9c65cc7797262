#include "printing/printpreview.h"

#include "printing/cardprintui.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace printing {

namespace {

constexpr double kScreenShare = 0.9; // of the free area; the rest for the frame and the title

} // namespace

QRect fittedGeometry(const QRect& available, const QSize& wanted) {
    const QSize room(int(available.width() * kScreenShare), int(available.height() * kScreenShare));
    QRect r(QPoint(), wanted.boundedTo(room));
    r.moveCenter(available.center());
    return r;
}

PreviewDialog::PreviewDialog(QPageLayout::Orientation orientation, const QSize& wanted, Report report,
                             QWidget* parent)
    : QPrintPreviewDialog(parent), m_report(std::move(report)) {
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    QPrinter& p = *printer();
    // Without a printer the preview still needs page metrics: the PDF engine gives them.
    if (!p.isValid())
        p.setOutputFormat(QPrinter::PdfFormat);
    p.setResolution(QPrinter(QPrinter::HighResolution).resolution());
    preparePrinter(p);
    p.setPageOrientation(orientation);
    m_view = findChild<QPrintPreviewWidget*>();
    connect(this, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* on) { paintPages(*on); });
    takeOverPrinting();

    // An icon like its neighbours', so that the toolbar stays as wide as Qt made it.
    toolBar()->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Сохранить PDF"),
                         this, &PreviewDialog::cmdpdf_Click);
    // The preview's own fields, named for a screen reader.
    for (QLineEdit* e : findChildren<QLineEdit*>())
        if (!qobject_cast<QComboBox*>(e->parentWidget()))
            e->setAccessibleName(QStringLiteral("Номер страницы"));
    for (QComboBox* c : findChildren<QComboBox*>())
        c->setAccessibleName(QStringLiteral("Масштаб"));
    for (QToolButton* b : toolBar()->findChildren<QToolButton*>()) // the toolbar's overflow button
        if (b->text().isEmpty())
            b->setAccessibleName(QStringLiteral("Другие кнопки"));
    const QScreen* screen = parent ? parent->screen() : this->screen();
    setGeometry(fittedGeometry(screen->availableGeometry(), wanted));
}

// Qt's print button prints through the preview's printer and tells nobody of a failure:
// here it opens the program's print dialog and its failures are told.
void PreviewDialog::takeOverPrinting() {
    const QString print = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction* a : toolBar()->actions())
        if (a->text() == print) {
            a->disconnect(this);
            connect(a, &QAction::triggered, this, &PreviewDialog::cmdprint_Click);
        }
}

QToolBar* PreviewDialog::toolBar() const {
    return findChild<QToolBar*>();
}

int PreviewDialog::pageCount() {
    // Qt paints the pages when the preview is first shown; asked before, they are painted now.
    if (m_view->pageCount() == 0)
        m_view->updatePreview();
    return m_view->pageCount();
}

void PreviewDialog::refresh() {
    m_view->updatePreview();
}

void PreviewDialog::cmdprint_Click() {
    const Outcome o = printNow();
    if (o.failed())
        m_report(this, o);
    else if (o.kind == Outcome::Kind::Done)
        accept();
}

void PreviewDialog::cmdpdf_Click() {
    if (const Outcome o = savePdfNow(); o.failed())
        m_report(this, o);
}

} // namespace printing
