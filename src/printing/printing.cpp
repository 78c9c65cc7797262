#include "printing/printing.h"

#include "printing/printmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace printing {

namespace {

struct Module {
    std::optional<QStringList> paths;
    const PrintFunctions* functions = nullptr;
};

Module& module() {
    static Module m;
    return m;
}

QStringList candidates() {
    QStringList paths = module().paths.value_or(
        QCoreApplication::instance() ? modulesFor(QCoreApplication::applicationDirPath()) : QStringList());
    paths.removeDuplicates();
    return paths;
}

// The module's table, or why there is none.
const PrintFunctions* loaded(QString* why) {
    Module& m = module();
    if (m.functions)
        return m.functions;
    const QStringList paths = candidates();
    QStringList problems;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isFile())
            continue;
        QLibrary library(path);
        if (!library.load()) {
            problems << QStringLiteral("не удалось загрузить модуль печати %1 (%2)")
                            .arg(path, library.errorString());
            continue;
        }
        const auto entry = reinterpret_cast<PrintModuleEntry>(library.resolve(kPrintModuleEntry));
        m.functions = entry ? entry(kPrintModuleVersion) : nullptr;
        if (m.functions)
            return m.functions; // never unloaded: its windows and Qt Print Support live on
        library.unload();
        problems << QStringLiteral("модуль печати %1 не от этой версии программы").arg(path);
    }
    // Not found is the likely case (a partial installation); a failed load says why.
    *why = problems.isEmpty()
               ? QStringLiteral("Печать недоступна: не найден модуль печати %1")
                     .arg(paths.join(QStringLiteral(" или ")))
               : QStringLiteral("Печать недоступна: %1.").arg(problems.join(QStringLiteral("; ")));
    return nullptr;
}

template <typename Fn, typename... Args> Outcome through(Fn PrintFunctions::*fn, const Args&... args) {
    QString why;
    const PrintFunctions* functions = loaded(&why);
    if (!functions)
        return {Outcome::Kind::Failed, why};
    return (functions->*fn)(args...);
}

} // namespace

Outcome printCard(QWidget* parent, const Card& card) {
    return through(&PrintFunctions::printWithDialog, parent, card);
}

Outcome saveCardPdf(QWidget* parent, const Card& card) {
    return through(&PrintFunctions::savePdfWithDialog, parent, card);
}

Outcome saveCardPdfTo(const QString& path, const Card& card) {
    return through(&PrintFunctions::savePdf, path, card);
}

Outcome previewCard(QWidget* parent, const Card& card, const Report& report) {
    return through(&PrintFunctions::previewCard, parent, card, report);
}

Outcome previewPages(QWidget* parent, const Pages& pages, const Report& report) {
    return through(&PrintFunctions::previewPages, parent, pages, report);
}

Outcome savePagesPdf(QWidget* parent, const Pages& pages) {
    return through(&PrintFunctions::savePagesPdfWithDialog, parent, pages);
}

Outcome savePagesPdfTo(const QString& path, const Pages& pages) {
    return through(&PrintFunctions::savePagesPdf, path, pages);
}

QStringList modulesFor(const QString& programDir) {
    const QString name = QStringLiteral(TAVEN_PRINT_MODULE_NAME);
    // Beside the program in a build folder; in the library folder once installed.
    return {programDir + u'/' + name,
            QDir::cleanPath(programDir + u'/' + QStringLiteral(TAVEN_PRINT_MODULE_FROM_BIN) + u'/' + name)};
}

void setModules(std::optional<QStringList> paths) {
    module() = Module{std::move(paths), nullptr};
}

} // namespace printing
