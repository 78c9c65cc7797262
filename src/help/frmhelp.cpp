#include "help/frmhelp.h"

#include "common/colours.h"
#include "common/text1251.h"
#include "common/textutil.h"

#include <QPlainTextEdit>

frmHelp::frmHelp(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Метод   Тавена"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Twips / 15 = pixels.
    setFixedSize(8685 / 15, 7005 / 15);
    txtHelp = new QPlainTextEdit(this);
    txtHelp->setGeometry(0, 0, 8655 / 15, 6975 / 15);
    txtHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette pal = txtHelp->palette();
    pal.setColor(QPalette::Base, colours::toQColor(colours::kInfoBackground));
    txtHelp->setPalette(pal);
    Form_Load();
}

void frmHelp::Form_Load() {
    QString error;
    const auto text = textfile::read(datapath::resolve(QStringLiteral("taven.txt")), &error);
    // A missing help file is no reason to fail: say so, and why, in the window itself.
    txtHelp->setPlainText(text ? text::cutLines(*text) : error + QStringLiteral("."));
}
