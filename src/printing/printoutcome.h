#pragma once
// How a printing, a PDF or a preview ended. Failures carry a Russian text the window shows
// under "Ошибка"; nothing that prints shows a message box itself.
#include <QString>
#include <functional>

class QWidget;

namespace printing {

struct Outcome {
    enum class Kind { Done, Cancelled, Failed };
    Kind kind = Kind::Done;
    QString error; // when Failed

    bool failed() const { return kind == Kind::Failed; }
};

// Tells the window of a failure while a preview stays open; `over` is the preview, to put
// the message above it.
using Report = std::function<void(QWidget* over, const Outcome& failure)>;

} // namespace printing
