#include "measurement/commandline.h"

#include <QFileInfo>
#include <QSet>

namespace commandline {

namespace {

// QGuiApplication and QApplication take these, with one dash or two, and remove them from
// the arguments; the first set takes the next argument (or "=value") as its value.
const QSet<QString> kQtWithValue = {QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
                                    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
                                    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
                                    QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
                                    QStringLiteral("display"),         QStringLiteral("geometry"),
                                    QStringLiteral("title"),           QStringLiteral("name"),
                                    QStringLiteral("style"),           QStringLiteral("stylesheet")};
const QSet<QString> kQtFlags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                QStringLiteral("sync"),    QStringLiteral("qmljsdebugger")};

QString helpText(const QString& program, bool ru) {
    if (ru)
        return QStringLiteral(
                   "Использование: %1 [параметры]\n"
                   "Диагностика по Тавену: измерение точек щупом прибора на последовательном порту.\n\n"
                   "Параметры:\n"
                   "  --port ПОРТ        порт прибора (по умолчанию первый порт, который ответит)\n"
                   "  --folder ПАПКА     рабочая папка с файлами данных; по умолчанию $TAVEN_HOME,\n"
                   "                     текущая папка, если в ней есть данные, иначе\n"
                   "                     ~/.local/share/taven. Недостающие файлы копируются\n"
                   "                     из поставки, имеющиеся не заменяются\n"
                   "  --database СТРОКА  карты пациентов на сервере PostgreSQL (строка подключения\n"
                   "                     libpq); по умолчанию $TAVEN_DATABASE или первая строка\n"
                   "                     файла ~/.config/taven/database.conf, иначе папка Database\n"
                   "  --import-folder ПАПКА [--merge]\n"
                   "                     перенести пациентов из ПАПКА/Database в базу данных\n"
                   "                     (в базу, где уже есть пациенты, только с --merge) и выйти\n"
                   "  --export-folder ПАПКА\n"
                   "                     выгрузить базу данных в новую папку ПАПКА/Database и выйти\n"
                   "  --quit-after-show  выйти сразу после показа окна (замер запуска)\n"
                   "  -h, --help         эта справка\n"
                   "  -v, --version      версия программы\n")
            .arg(program);
    return QStringLiteral(
               "Usage: %1 [options]\n"
               "Taven diagnostics: measuring points with the probe of a device on a serial port.\n\n"
               "Options:\n"
               "  --port PORT        serial port of the device (default: the first that answers)\n"
               "  --folder DIR       working folder with the data files; default: $TAVEN_HOME,\n"
               "                     the current folder when it holds the data, otherwise\n"
               "                     ~/.local/share/taven. Missing files are copied from the\n"
               "                     installed data, existing ones are never replaced\n"
               "  --database CONNINFO\n"
               "                     patient records on a PostgreSQL server (a libpq connection\n"
               "                     string); default: $TAVEN_DATABASE or the first line of\n"
               "                     ~/.config/taven/database.conf, else the Database folder\n"
               "  --import-folder DIR [--merge]\n"
               "                     copy the patients of DIR/Database into the database (into\n"
               "                     one that already holds patients only with --merge), then quit\n"
               "  --export-folder DIR\n"
               "                     write the database out as a new DIR/Database, then quit\n"
               "  --quit-after-show  quit as soon as the window has been shown (start-up timing)\n"
               "  -h, --help         this help\n"
               "  -v, --version      the program's version\n")
        .arg(program);
}

Parsed error(const QString& program, const QString& what, bool ru) {
    const QString hint =
        ru ? QStringLiteral("Список параметров: %1 --help") : QStringLiteral("Options: %1 --help");
    return {Action::Error, {}, what + u'\n' + hint.arg(program) + u'\n'};
}

// Splits "--name=value" and "-name" into the bare name and, when given, the value.
QString bareName(const QString& arg, QString* inlineValue, bool* hasInline) {
    QString name = arg.mid(arg.startsWith(QStringLiteral("--")) ? 2 : 1);
    const qsizetype eq = name.indexOf(u'=');
    *hasInline = eq >= 0;
    if (*hasInline) {
        *inlineValue = name.mid(eq + 1);
        name.truncate(eq);
    }
    return name;
}

// The field an option with a value fills; null for other names.
QString* valueOf(Options* o, const QString& name) {
    if (name == QStringLiteral("port"))
        return &o->port;
    if (name == QStringLiteral("folder"))
        return &o->folder;
    if (name == QStringLiteral("database"))
        return &o->database;
    if (name == QStringLiteral("import-folder") || name == QStringLiteral("export-folder"))
        return &o->exchangeFolder;
    return nullptr;
}

} // namespace

Parsed parse(const QStringList& args, bool ru) {
    const QString program = args.isEmpty() ? QStringLiteral("taven") : QFileInfo(args.first()).fileName();
    const auto fault = [&](const char* russian, const char* english, const QString& what) {
        return error(program, (ru ? QString::fromUtf8(russian) : QString::fromUtf8(english)).arg(what), ru);
    };
    Parsed out;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(u'-') || arg == QStringLiteral("-") || arg == QStringLiteral("--"))
            return fault("Лишний аргумент: %1", "Unexpected argument: %1", arg);
        QString value;
        bool hasInline = false;
        const QString name = bareName(arg, &value, &hasInline);
        const bool ours = arg.startsWith(QStringLiteral("--"));
        if (name == QStringLiteral("help") || arg == QStringLiteral("-h"))
            return {Action::Help, {}, helpText(program, ru)};
        if (name == QStringLiteral("version") || arg == QStringLiteral("-v"))
            return {Action::Version, {}, QStringLiteral("%1 %2\n").arg(program, version())};
        if (ours && name == QStringLiteral("quit-after-show") && !hasInline) {
            out.options.quitAfterShow = true;
        } else if (ours && name == QStringLiteral("merge") && !hasInline) {
            out.options.merge = true;
        } else if (QString* field = ours ? valueOf(&out.options, name) : nullptr) {
            // "--port --folder x" is a forgotten value, not a port named "--folder".
            if (!hasInline && i + 1 < args.size() && !args.at(i + 1).startsWith(QStringLiteral("--")))
                value = args.at(++i);
            if (value.isEmpty())
                return fault("После --%1 нужно значение", "--%1 needs a value", name);
            if (field == &out.options.exchangeFolder) {
                if (out.action != Action::Run)
                    return fault("%1 и --export-folder нельзя указать вместе",
                                 "%1 and --export-folder cannot be given together",
                                 QStringLiteral("--import-folder"));
                out.action =
                    name == QStringLiteral("import-folder") ? Action::ImportFolder : Action::ExportFolder;
            }
            *field = value;
        } else if (kQtWithValue.contains(name)) {
            if (!hasInline)
                ++i;
        } else if (!kQtFlags.contains(name)) {
            return fault("Неизвестный параметр: %1", "Unknown option: %1", arg);
        }
    }
    if (out.options.merge && out.action != Action::ImportFolder)
        return fault("%1 указывают только вместе с --import-folder", "%1 goes with --import-folder only",
                     QStringLiteral("--merge"));
    return out;
}

QString version() {
    return QStringLiteral(TAVEN_VERSION);
}

bool russianLocale() {
    // The first of these that is set names the language of messages, as for any program.
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(var);
        if (!value.isEmpty())
            return value.startsWith("ru");
    }
    return false;
}

int exitCode(Action action) {
    return action == Action::Error ? 2 : 0;
}

} // namespace commandline
