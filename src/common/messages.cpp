#include "common/messages.h"

#include <QMessageBox>

namespace msgbox {

namespace {
Handler& handler() {
    static Handler h;
    return h;
}

void tell(QWidget* parent, const QString& text, const QString& title, bool warning) {
    if (handler()) {
        handler()(Shown{text, title, false, false, false, warning});
        return;
    }
    QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Information, title, text, QMessageBox::Ok,
                    parent);
    box.exec();
}
} // namespace

void setHandler(Handler h) {
    handler() = std::move(h);
}

void info(QWidget* parent, const QString& text, const QString& title) {
    tell(parent, text, title, false);
}

void warning(QWidget* parent, const QString& text, const QString& title) {
    tell(parent, text, title, true);
}

void about(QWidget* parent, const QString& text, const QString& title) {
    if (handler()) {
        handler()(Shown{text, title});
        return;
    }
    QMessageBox::about(parent, title, text);
}

Answer question(QWidget* parent, const QString& text, const QString& title, bool defaultNo) {
    if (handler())
        return handler()(Shown{text, title, true, defaultNo, false});
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Answer questionWithCancel(QWidget* parent, const QString& text, const QString& title) {
    if (handler())
        return handler()(Shown{text, title, true, false, true});
    QMessageBox box(QMessageBox::Question, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

} // namespace msgbox
