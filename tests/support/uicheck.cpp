#include "uicheck.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <QWidget>

namespace uicheck {

namespace {

QString describe(const QWidget* w, const QString& text) {
    QString name = QString::fromLatin1(w->metaObject()->className());
    if (!w->objectName().isEmpty())
        name += u' ' + w->objectName();
    return QStringLiteral("%1 \"%2\"").arg(name, text);
}

// The widget and those under it that belong to its window, without the parts of a
// composite control (a combo box's list, a text box's scroll bars), which the control
// itself stands for.
QList<QWidget*> widgetsOf(QWidget* root) {
    QList<QWidget*> out{root};
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->window() != root->window())
            continue;
        bool part = false;
        for (QWidget* a = w->parentWidget(); a && a != root && !part; a = a->parentWidget())
            part = qobject_cast<QComboBox*>(a) || qobject_cast<QAbstractScrollArea*>(a) ||
                   qobject_cast<QAbstractSpinBox*>(a);
        if (!part)
            out << w;
    }
    return out;
}

// How far [left, right) of w's own coordinates runs past the inside of a frame around
// it, up to its window; 0 when it stays within every one.
int pastFrames(const QWidget* w, int left, int right) {
    for (const QWidget* a = w->parentWidget(); a; a = a->isWindow() ? nullptr : a->parentWidget()) {
        const int l = w->mapTo(a, QPoint(left, 0)).x(), r = w->mapTo(a, QPoint(right, 0)).x();
        const QRect inside = a->contentsRect();
        const int past = std::max(inside.left() - l, r - (inside.right() + 1));
        if (past > 0)
            return past;
    }
    return 0;
}

// The text in w's font within room (w's coordinates); left-aligned text starts at the
// room's left edge, other text is centred in it.
void checkText(QStringList& out, const QWidget* w, const QString& text, const QRect& room, int flags,
               bool leftAligned) {
    if (text.isEmpty())
        return;
    const QFontMetrics fm = w->fontMetrics();
    QSize need = fm.size(flags, text);
    if (flags & Qt::TextWordWrap)
        need = fm.boundingRect(QRect(0, 0, room.width(), 1 << 20), flags, text).size();
    if (need.width() > room.width() || need.height() > room.height()) {
        out << describe(w, text) + QStringLiteral(" needs %1x%2 px, has %3x%4")
                                       .arg(need.width())
                                       .arg(need.height())
                                       .arg(room.width())
                                       .arg(room.height());
        return;
    }
    const int left = leftAligned ? room.left() : room.left() + (room.width() - need.width()) / 2;
    if (const int past = pastFrames(w, left, left + need.width()); past > 0)
        out << describe(w, text) + QStringLiteral(" runs %1 px past its frame").arg(past);
}

QRect labelRoom(const QLabel* l) {
    const int m = l->margin();
    QRect room = l->contentsRect().adjusted(m, m, -m, -m);
    // As QLabel lays its text out: a framed label with no indent set indents by half an x.
    int indent = l->indent();
    if (indent < 0 && l->frameWidth() > 0)
        indent = l->fontMetrics().horizontalAdvance(u'x') / 2 - m;
    if (indent > 0) {
        const Qt::Alignment a = l->alignment();
        if (a & Qt::AlignLeft)
            room.setLeft(room.left() + indent);
        if (a & Qt::AlignRight)
            room.setRight(room.right() - indent);
        if (a & Qt::AlignTop)
            room.setTop(room.top() + indent);
        if (a & Qt::AlignBottom)
            room.setBottom(room.bottom() - indent);
    }
    return room;
}

void checkLabel(QStringList& out, const QLabel* l) {
    if (l->textFormat() == Qt::RichText ||
        (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(l->text())))
        return;
    const int flags =
        (l->wordWrap() ? int(Qt::TextWordWrap) : 0) | (l->buddy() ? int(Qt::TextShowMnemonic) : 0);
    checkText(out, l, l->text(), labelRoom(l), flags, (l->alignment() & Qt::AlignHCenter) == 0);
}

void checkButton(QStringList& out, const QAbstractButton* b) {
    // A tool button that shows its icon alone shows no text to fit.
    if (const auto* t = qobject_cast<const QToolButton*>(b);
        t && t->toolButtonStyle() == Qt::ToolButtonIconOnly && !t->icon().isNull())
        return;
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.rect = b->rect();
    opt.text = b->text();
    opt.icon = b->icon();
    opt.iconSize = b->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QRadioButton*>(b)) {
        contents = QStyle::SE_RadioButtonContents;
    } else if (qobject_cast<const QCheckBox*>(b)) {
        contents = QStyle::SE_CheckBoxContents;
    } else if (const auto* p = qobject_cast<const QPushButton*>(b)) {
        if (p->autoDefault())
            opt.features |= QStyleOptionButton::AutoDefaultButton;
        if (p->isDefault())
            opt.features |= QStyleOptionButton::DefaultButton;
        if (p->isFlat())
            opt.features |= QStyleOptionButton::Flat;
    }
    const QRect room = b->style()->subElementRect(contents, &opt, b);
    checkText(out, b, b->text(), room, Qt::TextShowMnemonic, contents != QStyle::SE_PushButtonContents);
}

void checkGroupBox(QStringList& out, const QGroupBox* g) {
    if (g->title().isEmpty())
        return;
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.rect = g->rect();
    opt.text = g->title();
    opt.lineWidth = 1;
    opt.textAlignment = g->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (g->isCheckable())
        opt.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (g->isFlat())
        opt.features |= QStyleOptionFrame::Flat;
    // The style sizes the title's rectangle to its text; it must leave the frame's
    // margin free on the far side as on the near one.
    const QRect title = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    const int margin = std::max(0, title.left());
    if (title.right() > g->width() - 1 - margin || title.bottom() > g->height() - 1)
        out << describe(g, g->title()) +
                   QStringLiteral(" needs %1 px, has %2").arg(title.width()).arg(g->width() - 2 * margin);
}

void checkComboBox(QStringList& out, const QComboBox* c) {
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    opt.rect = c->rect();
    opt.editable = c->isEditable();
    opt.frame = c->hasFrame();
    opt.subControls = QStyle::SC_All;
    const QRect room = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
    for (int i = 0; i < c->count(); ++i)
        checkText(out, c, c->itemText(i), room, 0, true);
}

bool isControl(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Dial:
    case QAccessible::ProgressBar:
    case QAccessible::StaticText:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::PageTabList:
        return true;
    default:
        return false;
    }
}

} // namespace

QStringList captionsFit(QWidget* root) {
    QStringList out;
    for (QWidget* w : widgetsOf(root)) {
        if (const auto* l = qobject_cast<QLabel*>(w))
            checkLabel(out, l);
        else if (const auto* b = qobject_cast<QAbstractButton*>(w))
            checkButton(out, b);
        else if (const auto* g = qobject_cast<QGroupBox*>(w))
            checkGroupBox(out, g);
        else if (const auto* c = qobject_cast<QComboBox*>(w))
            checkComboBox(out, c);
    }
    return out;
}

QStringList unnamedControls(QWidget* root) {
    QStringList out;
    for (QWidget* w : widgetsOf(root)) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || !isControl(a->role()))
            continue;
        if (a->text(QAccessible::Name).trimmed().isEmpty())
            out << describe(w, QString());
    }
    return out;
}

QStringList problems(QWidget* root) {
    return captionsFit(root) + unnamedControls(root);
}

void missing(const QObject* root, const char* name, const char* kind) {
    qFatal("no %s named \"%s\" under %s", kind, name, root->metaObject()->className());
}

QString spoken(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a->text(QAccessible::Name) + QStringLiteral(" | ") + a->text(QAccessible::Description);
}

} // namespace uicheck
