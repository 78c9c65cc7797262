#include "patients/namefilterline.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QKeyEvent>

NameFilterLine::NameFilterLine(QAbstractItemView* list, QWidget* parent) : QLineEdit(parent), m_list(list) {
    setAccessibleName(QStringLiteral("Поиск пациента по части имени"));
    setPlaceholderText(QStringLiteral("часть имени"));
    // Over the bottom lines of the list, which keeps its place and size.
    const QRect r = list->geometry();
    const int h = sizeHint().height();
    setGeometry(r.left(), r.bottom() + 1 - h, r.width(), h);
    hide();
    list->installEventFilter(this);
    list->setAccessibleDescription(QStringLiteral("Начните печатать часть имени, чтобы найти пациента"));
    connect(this, &QLineEdit::textChanged, this, &NameFilterLine::filterChanged);
}

void NameFilterLine::open(const QString& typed) {
    if (isHidden()) {
        setText(typed);
        show();
        raise();
    } else {
        insert(typed);
    }
    setFocus();
}

void NameFilterLine::dismiss() {
    const bool hadFocus = hasFocus();
    clear();
    hide();
    if (hadFocus)
        m_list->setFocus();
}

bool NameFilterLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_list || event->type() != QEvent::KeyPress)
        return QLineEdit::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape && isVisible()) {
        dismiss();
        return true;
    }
    // Letters, digits and signs start a search; a blank or a shortcut keeps its meaning.
    const QString typed = key->text();
    const bool command =
        key->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (command || typed.isEmpty() || !typed.front().isPrint() || typed.front().isSpace())
        return false;
    open(typed);
    return true;
}

void NameFilterLine::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        dismiss();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QCoreApplication::sendEvent(m_list, event);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The first line found becomes the chosen one, as a click on it does.
        if (!m_list->currentIndex().isValid() && m_list->model()->rowCount() > 0)
            m_list->setCurrentIndex(m_list->model()->index(0, 0));
        m_list->setFocus();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}
