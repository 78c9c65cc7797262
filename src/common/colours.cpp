#include "common/colours.h"

#include <QGuiApplication>
#include <QPalette>

namespace colours {

QColor toQColor(quint32 value) {
    if (value & 0x80000000u) {
        const QPalette pal = QGuiApplication::palette();
        switch (value & 0xFF) {
        case 0x0E:
            return pal.color(QPalette::HighlightedText);
        case 0x0F:
            return pal.color(QPalette::Button);
        case 0x18:
            return pal.color(QPalette::ToolTipBase);
        default:
            return pal.color(QPalette::Window);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace colours
