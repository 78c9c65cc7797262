#include "help/frmhelp.h"

#include "common/colours.h"
#include "common/form.h"
#include "common/text1251.h"
#include "common/textutil.h"

#include <QPlainTextEdit>

namespace {
// The help text the window shows, in the working folder.
const QString kHelpFile = QStringLiteral("taven.txt");
} // namespace

frmHelp::frmHelp(const WorkFolder& folder, QWidget* parent) : QDialog(parent), m_folder(folder) {
    setObjectName("frmHelp");
    setWindowTitle(QStringLiteral("Метод   Тавена"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(form::px(8685), form::px(7005));
    txtHelp = form::make<QPlainTextEdit>(this, "txtHelp", form::tw(0, 0, 8655, 6975));
    txtHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    txtHelp->setAccessibleName(QStringLiteral("Текст справки"));
    // Nothing typed here would be kept; the keyboard still moves and selects.
    txtHelp->setReadOnly(true);
    txtHelp->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette pal = txtHelp->palette();
    pal.setColor(QPalette::Base, colours::toQColor(colours::kInfoBackground));
    txtHelp->setPalette(pal);
    Form_Load();
}

void frmHelp::Form_Load() {
    QString error;
    const auto text = textfile::read(m_folder.path(kHelpFile), &error);
    // A missing help file is no reason to fail: say so, and why, in the window itself.
    txtHelp->setPlainText(text ? text::cutLines(*text) : error + QStringLiteral("."));
}
