// tavensim: a stand-in for the measuring device. Opens a pseudo-terminal (or a named serial
// port) and sends readings at the probe's steady rate, from a scenario or from keys.
#include "scenario.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;
termios g_savedTerminal{};
bool g_terminalRaw = false;

void onSignal(int) {
    g_stop = 1;
}

void restoreTerminal() {
    if (g_terminalRaw)
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    g_terminalRaw = false;
}

void makeRawTerminal() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0)
        return;
    termios t = g_savedTerminal;
    t.c_lflag &= ~(ICANON | ECHO);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &t) == 0) {
        g_terminalRaw = true;
        atexit(restoreTerminal);
    }
}

qint64 nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void setLine(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    t.c_cflag &= ~(PARENB | CSTOPB | CSIZE);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    tcsetattr(fd, TCSANOW, &t);
}

struct Port {
    int fd = -1;
    bool pty = false;
    QString name;
    long dropped = 0;
    long sent = 0;

    bool open(const QString& device) {
        if (device.isEmpty()) {
            fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0)
                return false;
            pty = true;
            name = QString::fromLocal8Bit(ptsname(fd));
        } else {
            fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            name = device;
        }
        if (fd < 0)
            return false;
        setLine(fd);
        return true;
    }
    // A pseudo-terminal's master hangs up while no program holds the other end.
    bool listening() const {
        pollfd p{fd, POLLOUT, 0};
        return !pty || !(poll(&p, 1, 0) == 1 && (p.revents & POLLHUP));
    }
    // Like the real probe: what is sent while no program holds the port is lost, not queued.
    void send(quint8 byte) {
        char junk[64];
        while (::read(fd, junk, sizeof junk) > 0) {
        }
        if (!listening()) {
            ++dropped;
            return;
        }
        if (::write(fd, &byte, 1) == 1)
            ++sent;
        else
            ++dropped;
    }
};

// Beside an installed program the command to give is the program itself; in a build folder
// it is the checkout's ./run.
QString runCommand() {
    const QFileInfo beside(QCoreApplication::applicationDirPath() + QStringLiteral("/taven"));
    if (!beside.isExecutable())
        return QStringLiteral("./run");
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("taven"));
    return !onPath.isEmpty() && QFileInfo(onPath) == beside ? QStringLiteral("taven") : beside.filePath();
}

sim::Step keyStep(char key, int touchValue, int touchMs) {
    using K = sim::Step::Kind;
    switch (key) {
    case 't':
        return {K::Touch, touchMs, touchValue, -1};
    case 's':
        return {K::PressShort, 0, 0, -1};
    case 'l':
        return {K::PressLong, 0, sim::kLongPressValue, -1};
    case 'r':
        return {K::Reset, 0, 0, -1};
    default:
        return {K::Noise, 1000, 5, -1};
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavensim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVEN_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("Имитатор прибора: шлёт показания щупа в псевдотерминал."));
    cl.addHelpOption();
    cl.addVersionOption();
    cl.addPositionalArgument(QStringLiteral("scenario"), QStringLiteral("Файл сценария (см. example.scn)."));
    const QCommandLineOption stepsOpt({QStringLiteral("e"), QStringLiteral("steps")},
                                      QStringLiteral("Шаги сценария в командной строке, через «;»."),
                                      QStringLiteral("steps"));
    const QCommandLineOption interactiveOpt(
        {QStringLiteral("i"), QStringLiteral("interactive")},
        QStringLiteral("Клавиши: t касание, s короткое нажатие, l длинное, "
                       "r сброс, n шум, q выход."));
    const QCommandLineOption loopOpt(QStringLiteral("loop"),
                                     QStringLiteral("Повторять сценарий до остановки."));
    const QCommandLineOption deviceOpt(
        QStringLiteral("device"),
        QStringLiteral("Писать в этот последовательный порт вместо псевдотерминала."),
        QStringLiteral("path"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"), QStringLiteral("Начало случайного шума."),
                                     QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption touchOpt(
        QStringLiteral("touch"),
        QStringLiteral("Касание по клавише t: значение и время (по умолчанию 40 5.5s)."),
        QStringLiteral("value time"), QStringLiteral("40 5.5s"));
    cl.addOptions({stepsOpt, interactiveOpt, loopOpt, deviceOpt, seedOpt, touchOpt});
    cl.process(app);

    QString text = cl.value(stepsOpt);
    if (!cl.positionalArguments().isEmpty()) {
        QFile f(cl.positionalArguments().first());
        if (!f.open(QIODevice::ReadOnly)) {
            err << "Не открывается файл сценария " << f.fileName() << ": " << f.errorString() << Qt::endl;
            return 2;
        }
        text += u'\n' + QString::fromUtf8(f.readAll());
    }
    const bool interactive = cl.isSet(interactiveOpt) || text.trimmed().isEmpty();
    sim::Scenario scenario, touchStep;
    QString problem;
    if (!sim::parse(text, &scenario, &problem) ||
        !sim::parse(QStringLiteral("touch ") + cl.value(touchOpt), &touchStep, &problem)) {
        err << "Ошибка в сценарии: " << problem << Qt::endl;
        return 2;
    }
    const sim::Step touch = touchStep.steps.first();

    Port port;
    if (!port.open(cl.value(deviceOpt))) {
        err << "Не открывается порт " << cl.value(deviceOpt) << ": " << strerror(errno) << Qt::endl;
        return 1;
    }
    out << "Порт прибора: " << port.name << Qt::endl;
    out << "Запуск программы: " << runCommand() << " --port " << port.name << Qt::endl;
    if (interactive)
        out << "Клавиши: t касание, s короткое нажатие, l длинное нажатие, r сброс, n шум, q выход"
            << Qt::endl;
    out.flush();

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    if (interactive)
        makeRawTerminal();
    if (port.pty) {
        out << "Ожидание программы..." << Qt::endl;
        while (!g_stop && !port.listening())
            usleep(20000);
    }

    sim::Generator gen(cl.value(seedOpt).toUInt());
    sim::Generator keyGen(cl.value(seedOpt).toUInt() + 1);
    std::deque<sim::TimedByte> queue;
    const qint64 start = nowMs();
    auto enqueue = [&](const QList<sim::TimedByte>& bytes) {
        queue.insert(queue.end(), bytes.begin(), bytes.end());
    };
    // The scenario is made a byte at a time as it is due: a day of noise takes no memory.
    sim::Stream stream(scenario, &gen, 0);

    // Between the scenario's bytes and the keys the probe is off the skin and says so.
    qint64 clock = 0; // ms since start: when the next byte is due
    while (!g_stop) {
        sim::TimedByte made{};
        if (queue.empty() && stream.next(&made)) {
            queue.push_back(made);
        } else if (queue.empty()) {
            if (!interactive && !cl.isSet(loopOpt))
                break;
            if (cl.isSet(loopOpt) && !scenario.steps.isEmpty()) {
                stream.restart(clock);
                continue;
            } else {
                QList<sim::TimedByte> idle;
                gen.step({sim::Step::Kind::Pause, gen.rateMs(), 0, -1}, clock, &idle);
                enqueue(idle);
            }
        }
        const sim::TimedByte next = queue.front();
        const qint64 due = start + next.atMs;
        pollfd keys{STDIN_FILENO, POLLIN, 0};
        const int wait = int(std::max<qint64>(0, due - nowMs()));
        if (poll(&keys, interactive ? 1 : 0, wait) > 0 && (keys.revents & POLLIN)) {
            char key = 0;
            if (::read(STDIN_FILENO, &key, 1) == 1) {
                if (key == 'q' || key == 'Q')
                    break;
                if (key != 0 && std::strchr("tslrn", key)) {
                    // Idling is one byte at a time, so the key's step starts within one byte.
                    QList<sim::TimedByte> bytes;
                    // A generator of its own at the scenario's rate, so the step the scenario is
                    // in goes on after the key's step, which it waits for.
                    keyGen.step({sim::Step::Kind::Rate, gen.rateMs(), 0, -1}, 0, &bytes);
                    keyGen.step(keyStep(key, touch.value, touch.ms), queue.back().atMs + gen.rateMs(),
                                &bytes);
                    enqueue(bytes);
                    gen.delay(queue.back().atMs + gen.rateMs());
                }
            }
            continue;
        }
        if (nowMs() < due)
            continue;
        queue.pop_front();
        port.send(next.byte);
        clock = next.atMs + gen.rateMs();
    }
    restoreTerminal();
    // Closing the master hangs the other end up, and what it has not read yet is lost.
    if (!port.pty)
        tcdrain(port.fd);
    else if (port.listening())
        usleep(300000);
    out << "Отправлено байтов: " << port.sent << ", потеряно (порт не открыт программой): " << port.dropped
        << Qt::endl;
    ::close(port.fd);
    return 0;
}
