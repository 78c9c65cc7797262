// Writes the main window's widgets, as laid out after start-up, one per line:
// kind, parent line (-1 for the window), x y width height, shown, font, text.
// bench/samewidgets builds the same widgets from this list with no logic behind them.
#include "measurement/frmmain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextStream>
#include <cstdio>

namespace {

QString kindOf(const QWidget* w) {
    // Widgets of the program's own classes are drawn by the reference as what they derive from.
    for (const char* k : {"QPushButton", "QRadioButton", "QCheckBox", "QGroupBox", "QComboBox", "QLineEdit",
                          "QListWidget", "QPlainTextEdit", "QLabel"})
        if (w->inherits(k))
            return QString::fromLatin1(k);
    return QStringLiteral("QWidget");
}

QString textOf(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w))
        return t->toPlainText();
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    frmmain window;
    window.Form_Load();
    QList<const QWidget*> order{&window};
    QTextStream out(stdout);
    out << window.width() << ' ' << window.height() << ' ' << window.font().toString() << '\n';
    // Parents come before their children in findChildren's depth-first order.
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (w->isWindow() || !w->parentWidget())
            continue;
        const QWidget* owner = w->parentWidget();
        // Inside a compound widget (scroll bars, viewports, pop-ups): made by its owner.
        if (!order.contains(owner) || owner->inherits("QComboBox") ||
            owner->inherits("QAbstractScrollArea") || owner->inherits("QLineEdit"))
            continue;
        const int parent = int(order.indexOf(owner)) - 1;
        order.append(w);
        const QRect g = w->geometry();
        QString text = textOf(w);
        text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\n', QStringLiteral("\\n"));
        out << kindOf(w) << '\t' << parent << '\t' << g.x() << ' ' << g.y() << ' ' << g.width() << ' '
            << g.height() << '\t' << int(!w->isHidden()) << '\t' << w->font().toString() << '\t' << text
            << '\n';
    }
    return 0;
}
