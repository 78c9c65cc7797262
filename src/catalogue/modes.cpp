#include "catalogue/modes.h"

#include "catalogue/catalogue.h"
#include "common/colourvalues.h"

namespace modes {

Layout layout(Mode mode) {
    switch (mode) {
    case Mode::Points:
        return {QStringLiteral("Меридиан"),
                true,
                true,
                QStringLiteral("Функция точки"),
                true,
                false,
                true,
                true,
                false,
                catalogue::meridianNames()};
    case Mode::Testing:
        return {QStringLiteral("Меридиан"),
                false,
                true,
                QStringLiteral("Медикаменты точки"),
                false,
                true,
                true,
                true,
                false,
                catalogue::meridianNames()};
    case Mode::Branches:
        break;
    }
    return {QStringLiteral("Ответвления"), true, false, QString(), false, false, false, false, true,
            catalogue::branchItems()};
}

quint32 tickColour(Mode mode, int tick) {
    // The green zone is the norm: values 42..58 for points, 80..84 for branches.
    const bool branches = mode == Mode::Branches;
    const int firstGreen = branches ? 40 : 21;
    const int firstRed = branches ? 43 : 30;
    if (tick < firstGreen)
        return colours::kBlue;
    return tick < firstRed ? colours::kDarkGreen : colours::kRed;
}

quint32 numberColour(Mode mode, int number) {
    const int green = mode == Mode::Branches ? 8 : 5;
    if (number < green)
        return colours::kBlue;
    return number == green ? colours::kDarkGreen : colours::kRed;
}

quint32 vegaTickColour(int tick) {
    return tick == 40 ? colours::kRed : colours::kBlue;
}

quint32 vegaNumberColour(int number) {
    return number == 8 ? colours::kRed : colours::kBlue;
}

} // namespace modes
