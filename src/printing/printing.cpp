#include "printing/printing.h"

#include "common/moduleloader.h"
#include "printing/printmodule.h"

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
    QStringList paths = module().paths.value_or(moduleloader::candidates(
        QStringLiteral(TAVEN_PRINT_MODULE_NAME), QStringLiteral(TAVEN_PRINT_MODULE_FROM_BIN)));
    paths.removeDuplicates();
    return paths;
}

// The module's table, or why there is none.
const PrintFunctions* loaded(QString* why) {
    Module& m = module();
    if (m.functions)
        return m.functions;
    const QStringList paths = candidates();
    QList<moduleloader::Failure> failures;
    // Never unloaded once it serves: its windows and Qt Print Support live on.
    moduleloader::load(
        paths, kPrintModuleEntry,
        [&m](QFunctionPointer entry) {
            m.functions = reinterpret_cast<PrintModuleEntry>(entry)(kPrintModuleVersion);
            return m.functions ? moduleloader::Answer::Serves : moduleloader::Answer::OtherVersion;
        },
        &failures);
    if (m.functions)
        return m.functions;
    QStringList problems;
    for (const moduleloader::Failure& f : failures)
        problems << (f.why.isEmpty()
                         ? QStringLiteral("модуль печати %1 не от этой версии программы").arg(f.path)
                         : QStringLiteral("не удалось загрузить модуль печати %1 (%2)").arg(f.path, f.why));
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
    return moduleloader::candidates(programDir, QStringLiteral(TAVEN_PRINT_MODULE_NAME),
                                    QStringLiteral(TAVEN_PRINT_MODULE_FROM_BIN));
}

void setModules(std::optional<QStringList> paths) {
    module() = Module{std::move(paths), nullptr};
}

} // namespace printing
