#include "common/windowplace.h"

#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace windowplace {

namespace {

QSettings store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("taven"),
                     QStringLiteral("windows"));
}

class Keeper : public QObject {
  public:
    Keeper(QWidget* window, const QString& key) : QObject(window), m_window(window), m_key(key) {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Hidden is also how a window is closed, and the last moment its place is known.
        if (watched == m_window && event->type() == QEvent::Hide && !m_window->isMinimized())
            store().setValue(m_key, m_window->saveGeometry());
        return false;
    }

  private:
    QWidget* m_window;
    QString m_key;
};

} // namespace

void keep(QWidget* window, const QString& key) {
    // A screen that is gone since is handled by restoreGeometry, which keeps the window on
    // the screens there are.
    const QByteArray saved = store().value(key).toByteArray();
    if (!saved.isEmpty())
        window->restoreGeometry(saved);
    new Keeper(window, key);
}

} // namespace windowplace
