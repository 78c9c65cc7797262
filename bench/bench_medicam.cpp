// Opening the medication editor and leaving it after one addition, on a file of every
// point of the catalogue with 50 medications each, against reading and writing the same
// bytes with no parsing, and the same through the editor window. Runs alternate, so both sides see the same
// disk and cache.
#include "catalogue/catalogue.h"
#include "common/text1251.h"
#include "common/workfolder.h"
#include "medications/frmmedicam.h"
#include "medications/medicamdb.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPerPoint = 50;

QByteArray bigFile(int* lines) {
    QString out;
    *lines = 0;
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        out += "][" + catalogue::meridianName(m) + "\r\n";
        const int n = catalogue::pointCount(m);
        for (int k = 1; k <= n; ++k) {
            const auto p = catalogue::point(m, n - k);
            out += "><" + p.number + ' ' + p.description + "\r\n";
            for (int i = 0; i < kPerPoint; ++i)
                out += QStringLiteral("Препарат %1-%2-%3 D%4\r\n").arg(m).arg(k).arg(i).arg(i % 30 + 1);
            *lines += kPerPoint + 1;
        }
        *lines += 1;
    }
    return cp1251::encode(out + "][\r\n");
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t h = v.size() / 2;
    return v.size() % 2 ? v[h] : (v[h - 1] + v[h]) / 2;
}

struct Times {
    std::vector<double> open, save, read, write, windowOpen, windowSave;
};

// What the editor does: read and parse, fill its three lists, then add and write.
void editorRun(const WorkFolder& folder, Times& t, long& sink) {
    QElapsedTimer clock;
    clock.start();
    medicam::Database db = medicam::Database::load(folder);
    sink += db.meridianNames().size() + db.pointNames(0).size() + db.medications(0, 0).size();
    t.open.push_back(clock.nsecsElapsed() / 1e6);
    clock.restart();
    db.add(17, 0, QStringLiteral("Новый препарат D6"));
    QString error;
    if (!db.save(folder, &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    t.save.push_back(clock.nsecsElapsed() / 1e6);
}

// The same through the editor window: showing it reloads and fills the lists, "Выход"
// writes after an addition typed into its box.
void windowRun(frmmedicam& w, Times& t, long& sink) {
    QElapsedTimer clock;
    clock.start();
    w.show();
    sink += w.document().meridians().size();
    t.windowOpen.push_back(clock.nsecsElapsed() / 1e6);
    w.txtadd->setText(QStringLiteral("Новый препарат D6"));
    clock.restart();
    w.cmdadd_Click();
    w.cmdexit_Click();
    t.windowSave.push_back(clock.nsecsElapsed() / 1e6);
}

void bareRun(const QString& path, Times& t, long& sink) {
    QElapsedTimer clock;
    clock.start();
    const QByteArray bytes = textfile::readBytes(path).value_or(QByteArray());
    sink += bytes.size();
    t.read.push_back(clock.nsecsElapsed() / 1e6);
    clock.restart();
    textfile::writeBytes(path, bytes);
    t.write.push_back(clock.nsecsElapsed() / 1e6);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 21;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Database"));
    const WorkFolder folder(dir.path());
    const QString path = folder.path(medicam::kFileName);
    int lines = 0;
    const QByteArray original = bigFile(&lines);
    Times t;
    long sink = 0;
    frmmedicam window{folder};
    for (int r = 0; r < runs; ++r) {
        // Each run starts from the same file, so the additions do not pile up.
        textfile::writeBytes(path, original);
        editorRun(folder, t, sink);
        textfile::writeBytes(path, original);
        bareRun(path, t, sink);
        textfile::writeBytes(path, original);
        windowRun(window, t, sink);
    }
    const double open = median(t.open), save = median(t.save), read = median(t.read), write = median(t.write);
    std::printf("medicam.nam: %d lines, %lld bytes, %d runs (medians, ms)\n", lines,
                qlonglong(original.size()), runs);
    std::printf("open (read, parse, three lists) %8.3f   read bytes  %8.3f   ratio %5.2f\n", open, read,
                open / read);
    std::printf("save after one addition         %8.3f   write bytes %8.3f   ratio %5.2f\n", save, write,
                save / write);
    std::printf("open + save                     %8.3f   read + write %7.3f   ratio %5.2f\n", open + save,
                read + write, (open + save) / (read + write));
    const double wOpen = median(t.windowOpen), wSave = median(t.windowSave);
    std::printf("editor window: showing          %8.3f   read bytes  %8.3f   ratio %5.2f\n", wOpen, read,
                wOpen / read);
    std::printf("editor window: Добавить, Выход  %8.3f   write bytes %8.3f   ratio %5.2f\n", wSave, write,
                wSave / write);
    std::printf("editor window: whole use        %8.3f   read + write %7.3f   ratio %5.2f\n", wOpen + wSave,
                read + write, (wOpen + wSave) / (read + write));
    return sink > 0 ? 0 : 1;
}
