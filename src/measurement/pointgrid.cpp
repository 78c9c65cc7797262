#include "measurement/pointgrid.h"

#include "catalogue/catalogue.h"
#include "common/colours.h"
#include "common/form.h"
#include "common/widgets.h"
#include "measurement/keycodes.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

using form::make;

namespace {

// The grid's corner in the point frame, in twips; its widgets keep the frame's positions.
constexpr int kLeft = 3840;
constexpr int kTop = 720;
QRect at(int left, int top, int width, int height) {
    return form::tw(left - kLeft, top - kTop, width, height);
}

} // namespace

PointGrid::PointGrid(QWidget* frame) : QWidget(frame) {
    // To the frame's right edge (5415 twips) and bottom (4575 twips).
    setGeometry(form::tw(kLeft, kTop, 5415 - kLeft, 4575 - kTop));
    static const int headerLefts[3] = {3840, 4400, 4845};
    static const char* const headers[3] = {"точка", "макс", "паден"};
    for (int k = 0; k < 3; ++k) {
        header[k] = make<QLabel>(this, form::item("label", k + 1), QString::fromUtf8(headers[k]),
                                 at(headerLefts[k], 720, 495, 240));
        // Room to the next header or the frame's edge (5415 twips), less the frame's line.
        const int next = k + 1 < 3 ? headerLefts[k + 1] : 5415;
        fitCaption(header[k], form::px(next - headerLefts[k]) - (k + 1 < 3 ? 1 : 3));
    }
    for (int r = 0; r < kRows; ++r) {
        const int top = 960 + 240 * r;
        lblnumber[r] = make<QLabel>(this, form::item("lblnumber", r), at(3840, top, 495, 240));
        lblnumber[r]->setFrameStyle(QFrame::Box | QFrame::Plain);
        lblnumber[r]->setAlignment(Qt::AlignCenter);
        setBackColour(lblnumber[r], colours::kButtonFace);
        txtmax[r] = make<QLineEdit>(this, form::item("txtmax", r), at(4320, top, 495, 240));
        txtpad[r] = make<QLineEdit>(this, form::item("txtpad", r), at(4800, top, 495, 240));
        for (QWidget* w : {static_cast<QWidget*>(lblnumber[r]), static_cast<QWidget*>(txtmax[r]),
                           static_cast<QWidget*>(txtpad[r])})
            w->installEventFilter(this);
        for (QLineEdit* box : {txtmax[r], txtpad[r]}) {
            // Typed characters never reach the box; the key handling edits it.
            box->setReadOnly(true);
            box->setAlignment(Qt::AlignCenter);
            box->setContextMenuPolicy(Qt::NoContextMenu);
        }
        nameRow(r, QStringLiteral("строка %1").arg(r + 1));
    }
}

void PointGrid::nameRow(int row, const QString& point) {
    lblnumber[row]->setAccessibleName(point);
    txtmax[row]->setAccessibleName(point + QStringLiteral(", макс."));
    txtpad[row]->setAccessibleName(point + QStringLiteral(", паден."));
}

void PointGrid::showPoints(int meridian) {
    const int n = catalogue::pointCount(meridian);
    for (int r = 0; r < kRows; ++r) {
        const bool used = r < n;
        if (used) {
            const catalogue::Point p = catalogue::point(meridian, r);
            lblnumber[r]->setText(p.number);
            lblnumber[r]->setToolTip(p.description);
            nameRow(r, QStringLiteral("точка ") + p.number);
        }
        lblnumber[r]->setVisible(used);
        txtmax[r]->setVisible(used);
        txtpad[r]->setVisible(used);
    }
}

void PointGrid::hideRows() {
    for (int r = 0; r < kRows; ++r) {
        lblnumber[r]->hide();
        txtmax[r]->hide();
        txtpad[r]->hide();
    }
}

void PointGrid::setHeaderVisible(bool visible) {
    for (QLabel* h : header)
        h->setVisible(visible);
}

void PointGrid::highlight(int row) {
    for (int r = 0; r < kRows; ++r)
        setBackColour(lblnumber[r], r == row ? colours::kInfoBackground : colours::kButtonFace);
}

void PointGrid::showResults(const session::ResultsMatrix& results, int row, int firstColumn) {
    for (int j = 0; j < kRows; ++j) {
        const session::ResultFields f = session::splitResult(results.cell(row, firstColumn + j));
        txtmax[j]->setText(f.max);
        txtpad[j]->setText(f.drop);
    }
}

void PointGrid::showResult(int row, int max, int drop) {
    if (row < 0 || row >= kRows)
        return;
    txtmax[row]->setText(QString::number(max));
    txtpad[row]->setText(QString::number(drop));
}

QString PointGrid::edit(int row, bool maxBox, int keyCode, bool* refused) {
    if (row < 0 || row >= kRows)
        return QString();
    QLineEdit* box = maxBox ? txtmax[row] : txtpad[row];
    const keycodes::Edited edited = keycodes::editResult(box->text(), keyCode);
    box->setText(edited.text);
    if (refused)
        *refused = edited.refused;
    return session::resultText(txtmax[row]->text(), txtpad[row]->text());
}

bool PointGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    for (int r = 0; r < kRows; ++r) {
        const bool isMax = watched == txtmax[r], isPad = watched == txtpad[r];
        if (event->type() == QEvent::MouseButtonPress) {
            if (watched == lblnumber[r] || isMax || isPad) {
                emit rowClicked(r);
                return false;
            }
        } else if (isMax || isPad) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Focus moves and lone modifiers are no keys of the box.
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Shift ||
                key->key() == Qt::Key_Control || key->key() == Qt::Key_Alt)
                return false;
            emit keyDown(r, isMax, keycodes::fromQt(key->key(), key->modifiers()), int(key->modifiers()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
