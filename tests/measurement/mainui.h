#pragma once
// The main window as its tests see it: its widgets, timers, device link and shared state
// found by name, under the names the window gives them.
#include "common/widgets.h"
#include "measurement/frmmain.h"
#include "measurement/frmoption.h"
#include "measurement/gauge.h"
#include "measurement/pointgrid.h"
#include "patients/frmclient.h"
#include "uicheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

class MainUi : public frmmain {
    template <typename T> T* find(const char* name) const { return uicheck::child<T>(this, name); }

  public:
    using frmmain::frmmain;

    QPushButton *cmdclient = find<QPushButton>("cmdclient"), *cmdmedicam = find<QPushButton>("cmdmedicam"),
                *cmdsave = find<QPushButton>("cmdsave"), *cmdoptions = find<QPushButton>("cmdoptions"),
                *cmdhelp = find<QPushButton>("cmdhelp"), *cmdaddcard = find<QPushButton>("cmdaddcard");
    Gauge* Frame1 = find<Gauge>("Frame1");
    QGroupBox *Frame2 = find<QGroupBox>("Frame2"), *frapoint = find<QGroupBox>("frapoint");
    QRadioButton *optdiagnoz = find<QRadioButton>("optdiagnoz"), *opttest = find<QRadioButton>("opttest"),
                 *opthand = find<QRadioButton>("opthand"), *optleft = find<QRadioButton>("optleft"),
                 *optright = find<QRadioButton>("optright");
    QLabel *lblVega = find<QLabel>("lblVega"), *lblmerid = find<QLabel>("lblmerid"),
           *lblrecept = find<QLabel>("lblrecept");
    QComboBox* cbomeridian = find<QComboBox>("cbomeridian");
    QCheckBox* chkkti = find<QCheckBox>("chkkti");
    PointGrid* grid = find<PointGrid>("grid");
    QPlainTextEdit* txtfunction = find<QPlainTextEdit>("txtfunction");
    QListWidget* lstpreparat = find<QListWidget>("lstpreparat");
    PictureBox* pic = find<PictureBox>("pic");
    QTimer &Timer1 = *find<QTimer>("Timer1"), &Timer2 = *find<QTimer>("Timer2");
    DeviceLink& mscomm = *find<DeviceLink>("mscomm");
    // The reading processor's state, as the window names it.
    struct {
        const QObject* w;
        int touchCount() const { return w->property("int3").toInt(); }
        bool blnVega() const { return w->property("blnVega").toBool(); }
        float sngVega() const { return w->property("sngVega").toFloat(); }
        int datainmax() const { return w->property("datainmax").toInt(); }
    } reading{this};

    QLabel* label(int i) const { return find<QLabel>(qPrintable(QStringLiteral("label(%1)").arg(i))); }
    session::Session& session() const { return *find<session::Session>("session"); }
    frmclient* client() const { return find<frmclient>("frmclient"); }
    // Made as "Настройка" makes it, and left hidden.
    frmoption* options() {
        if (!findChild<frmoption*>()) {
            cmdoptions_Click();
            find<frmoption>("frmoption")->hide();
        }
        return find<frmoption>("frmoption");
    }
    modes::Mode currentMode() const {
        return opttest->isChecked()   ? modes::Mode::Testing
               : opthand->isChecked() ? modes::Mode::Branches
                                      : modes::Mode::Points;
    }
    void selectFromChart(int meridian, bool left, int row) {
        QMetaObject::invokeMethod(this, "selectFromChart", Q_ARG(int, meridian), Q_ARG(bool, left),
                                  Q_ARG(int, row));
    }
};
