// Writes PNG screenshots of the main window in a few states and of the medication editor, for a look without
// a display:
//   QT_QPA_PLATFORM=offscreen screenshots <output folder>   (run in a working folder)
#include "measurement/frmmain.h"
#include "medications/frmmedicam.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace {
void choose(frmmain& w, const QString& item) {
    w.cbomeridian->setCurrentIndex(w.cbomeridian->findText(item));
    w.cbomeridian_Click();
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    frmmain w;
    w.Form_Load();
    w.show();
    auto shot = [&](const QString& name) {
        QApplication::processEvents();
        w.grab().save(out + u'/' + name);
    };
    shot(QStringLiteral("main_hand_left.png"));
    w.optright->setChecked(true);
    shot(QStringLiteral("main_hand_right.png"));
    choose(w, QStringLiteral("Почки"));
    shot(QStringLiteral("main_foot_right.png"));
    w.optleft->setChecked(true);
    w.chkkti->setChecked(true);
    choose(w, QStringLiteral("Почки"));
    shot(QStringLiteral("main_foot_left_kti.png"));
    w.chkkti->setChecked(false);
    w.opttest->setChecked(true);
    shot(QStringLiteral("main_testing.png"));
    w.opthand->setChecked(true);
    shot(QStringLiteral("main_branch.png"));

    frmmedicam editor{WorkFolder()};
    editor.show();
    editor.lstpoint->setCurrentRow(2); // the control point, which has medications in the sample
    editor.txtadd->setText(QStringLiteral("Эхинацея D12"));
    QApplication::processEvents();
    editor.grab().save(out + QStringLiteral("/medicam_editor.png"));
    return 0;
}
