// The fair yardstick for start-up: a window with the same kinds and numbers of widgets as
// the program's main window, placed and captioned alike, with no logic behind them. The
// widgets come from a list written by bench/widgetcensus.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

namespace {

QWidget* make(const QString& kind, QWidget* parent, const QString& text) {
    if (kind == "QPushButton")
        return new QPushButton(text, parent);
    if (kind == "QRadioButton")
        return new QRadioButton(text, parent);
    if (kind == "QCheckBox")
        return new QCheckBox(text, parent);
    if (kind == "QGroupBox")
        return new QGroupBox(text, parent);
    if (kind == "QLabel")
        return new QLabel(text, parent);
    if (kind == "QLineEdit")
        return new QLineEdit(text, parent);
    if (kind == "QPlainTextEdit")
        return new QPlainTextEdit(text, parent);
    if (kind == "QListWidget")
        return new QListWidget(parent);
    if (kind == "QComboBox") {
        auto* c = new QComboBox(parent);
        c->addItem(text);
        return c;
    }
    return new QWidget(parent);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFile list(app.arguments().value(1));
    if (!list.open(QIODevice::ReadOnly | QIODevice::Text))
        return 2;
    const QStringList lines = QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return 2;
    QWidget window;
    const QStringList head = lines[0].split(u' ');
    window.resize(head.value(0).toInt(), head.value(1).toInt());
    QFont font;
    font.fromString(lines[0].section(u' ', 2));
    window.setFont(font);
    QList<QWidget*> made;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(u'\t');
        if (f.size() < 6)
            return 2;
        const int parent = f[1].toInt();
        QString text = f[5];
        text.replace(QStringLiteral("\\n"), QStringLiteral("\n"))
            .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        QWidget* w = make(f[0], parent < 0 ? &window : made.value(parent), text);
        const QStringList g = f[2].split(u' ');
        w->setGeometry(g.value(0).toInt(), g.value(1).toInt(), g.value(2).toInt(), g.value(3).toInt());
        QFont wf;
        wf.fromString(f[4]);
        w->setFont(wf);
        w->setVisible(f[3] == "1");
        made.append(w);
    }
    // Quits once the window has been painted, as the program does for its timing.
    struct FirstPaint : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                QTimer::singleShot(0, qApp, &QApplication::quit);
            return false;
        }
    } firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    return app.exec();
}
