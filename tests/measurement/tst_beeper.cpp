#include "fakesound.h"
#include "measurement/beeper.h"

#include <QAudioDevice>
#include <QLibrary>
#include <QLibraryInfo>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

quint32 le32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
qint16 sample(const QByteArray& wav, int k) {
    return qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * k);
}

const QString fakeModule = QStringLiteral(TAVEN_FAKE_SOUND_MODULE);
// The module the build made, next to the program rather than next to the tests.
const QString builtModule = QStringLiteral(TAVEN_BUILT_SOUND_MODULE);

} // namespace

Q_DECLARE_METATYPE(SoundOutput::Status)

class TestBeeper : public QObject {
    Q_OBJECT

    QLibrary fake{fakeModule};
    FakeSoundSetAvailable setAvailable = nullptr;
    FakeSoundLast last = nullptr;

    // Beeps the system beep gave by the time the last of its timers has run.
    static int settledBeeps(const int& beeps) {
        QTest::qWait(3 * Beeper::kSystemBeepGapMs);
        return beeps;
    }

  private slots:
    void initTestCase() {
        QVERIFY2(fake.load(), qPrintable(fake.errorString()));
        setAvailable = reinterpret_cast<FakeSoundSetAvailable>(fake.resolve(kFakeSoundSetAvailable));
        last = reinterpret_cast<FakeSoundLast>(fake.resolve(kFakeSoundLast));
        QVERIFY(setAvailable && last);
    }
    void init() { setAvailable(true); }

    // Three tones of the set length with silence between them, loud enough to hear and
    // never clipping.
    void threeTones() {
        const QByteArray wav = Beeper::threeBeepsWav();
        QCOMPARE(wav.left(4) + wav.mid(8, 4) + wav.mid(36, 4), QByteArray("RIFFWAVEdata"));
        QCOMPARE(le32(wav, 24), quint32(Beeper::kSampleRate));
        QCOMPARE(le32(wav, 40), quint32(wav.size() - 44));
        const int samples = (wav.size() - 44) / 2;
        const int silentRun = Beeper::kSampleRate * 20 / 1000;
        QList<QPair<int, int>> tones; // first and last loud sample
        int quiet = silentRun;
        int peak = 0;
        for (int k = 0; k < samples; ++k) {
            const int v = std::abs(int(sample(wav, k)));
            peak = std::max(peak, v);
            if (v == 0) {
                ++quiet;
                continue;
            }
            if (quiet >= silentRun)
                tones.append({k, k});
            tones.last().second = k;
            quiet = 0;
        }
        QCOMPARE(tones.size(), 3);
        for (const auto& [first, last] : tones) {
            const int ms = (last - first + 1) * 1000 / Beeper::kSampleRate;
            QVERIFY2(std::abs(ms - Beeper::kToneMs) <= 2, qPrintable(QString("tone of %1 ms").arg(ms)));
        }
        QVERIFY2(peak > 8000 && peak < 32767, qPrintable(QString("peak %1").arg(peak)));
    }

    // The system beep is spaced by timers: beep3() returns after the first one.
    void systemBeepDoesNotBlock() {
        Beeper beeper;
        beeper.setSystemBeepOnly(true);
        int beeps = 0;
        beeper.setSystemBeep([&] { ++beeps; });
        beeper.beep3();
        QCOMPARE(beeps, 1);
        QTRY_COMPARE(beeps, 3);
        QCOMPARE(settledBeeps(beeps), 3);
    }

    // With the module the build made: a machine without a sound device (a server, CI)
    // falls back to the system beep and raises no error; with one, the sound device plays.
    // (Qt Multimedia itself may warn that it found no sound server.)
    void fallbackWithoutSoundDevice() {
        Beeper beeper;
        int beeps = 0;
        beeper.setSystemBeep([&] { ++beeps; });
        beeper.beep3();
        if (QMediaDevices::audioOutputs().isEmpty()) {
            QVERIFY(!beeper.usesSoundDevice());
            QTRY_COMPARE(beeps, 3);
        } else {
            QVERIFY(beeper.usesSoundDevice());
            QCOMPARE(beeps, 0);
        }
    }

    // The beeper looks for the module next to the program and nowhere else (no build path
    // in the binary); the module the build made refuses a caller built against another
    // interface.
    void builtModuleIsFound() {
        const QStringList paths = Beeper::defaultSoundModules();
        QCOMPARE(paths, QStringList{QCoreApplication::applicationDirPath() + "/libtavensound.so"});
        QLibrary module(builtModule);
        QVERIFY2(module.load(), qPrintable(module.errorString()));
        const auto create = reinterpret_cast<SoundOutputFactory>(module.resolve(kSoundOutputFactory));
        QVERIFY2(create, qPrintable(module.errorString()));
        const std::unique_ptr<SoundOutput> refused(
            create(kSoundOutputVersion + 1, Beeper::threeBeepsWav(), {}));
        QVERIFY(!refused);
    }

    // A module that is not there or does not load is no error: the system beep sounds, at
    // once and without waiting for anything.
    void unusableModuleFallsBack_data() {
        QTest::addColumn<QString>("module"); // empty: a text file named like the module
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << QStringLiteral("/nonexistent/libtavensound.so") << false;
        QTest::newRow("not a library") << QString() << true;
        QTest::newRow("no factory") << QLibraryInfo::path(QLibraryInfo::LibrariesPath) + "/libQt6Core.so.6"
                                    << true;
    }
    void unusableModuleFallsBack() {
        QFETCH(QString, module);
        QFETCH(bool, exists);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (module.isEmpty()) {
            module = dir.filePath("libtavensound.so");
            QFile text(module);
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a library\n") > 0);
        }
        QVERIFY2(QFileInfo::exists(module) == exists, qPrintable(module));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));

        Beeper beeper;
        beeper.setSoundModules({module});
        int beeps = 0;
        beeper.setSystemBeep([&] { ++beeps; });
        beeper.beep3();
        QCOMPARE(beeps, 1);
        QVERIFY(!beeper.usesSoundDevice());
        QTRY_COMPARE(beeps, 3);
    }

    // The first module that loads and makes an output wins; one that finds no audio output
    // leaves the system beep.
    void moduleSearch() {
        {
            Beeper beeper;
            beeper.setSoundModules(
                {QStringLiteral("/nonexistent/libtavensound.so"), fakeModule, builtModule});
            beeper.prepare();
            QVERIFY(beeper.usesSoundDevice());
            QVERIFY(last());
        }
        setAvailable(false);
        Beeper beeper;
        beeper.setSoundModules({fakeModule});
        int beeps = 0;
        beeper.setSystemBeep([&] { ++beeps; });
        beeper.beep3();
        QVERIFY(!last());
        QVERIFY(!beeper.usesSoundDevice());
        QTRY_COMPARE(beeps, 3);
    }

    // The sound loads asynchronously. A beep asked for meanwhile is played when it is
    // ready; should loading fail, the system beep sounds instead, once.
    void beepWhileLoading_data() {
        using S = SoundOutput::Status;
        QTest::addColumn<QList<S>>("before"); // the status reports before the beep
        QTest::addColumn<QList<S>>("after");
        QTest::addColumn<int>("plays");
        QTest::addColumn<int>("systemBeeps");
        QTest::addColumn<bool>("usesSoundDevice");
        QTest::newRow("then ready") << QList<S>{} << QList<S>{S::Ready} << 1 << 0 << true;
        QTest::newRow("then failed") << QList<S>{} << QList<S>{S::Failed} << 1 << 3 << false;
        QTest::newRow("then loading, then failed")
            << QList<S>{} << QList<S>{S::Loading, S::Failed} << 1 << 3 << false;
        QTest::newRow("then failed twice") << QList<S>{} << QList<S>{S::Failed, S::Failed} << 1 << 3 << false;
        QTest::newRow("then ready, then failed")
            << QList<S>{} << QList<S>{S::Ready, S::Failed} << 1 << 0 << false;
        QTest::newRow("ready, then failed") << QList<S>{S::Ready} << QList<S>{S::Failed} << 1 << 0 << false;
        QTest::newRow("failed before") << QList<S>{S::Failed} << QList<S>{} << 0 << 3 << false;
    }
    void beepWhileLoading() {
        QFETCH(QList<SoundOutput::Status>, before);
        QFETCH(QList<SoundOutput::Status>, after);
        QFETCH(int, plays);
        QFETCH(int, systemBeeps);
        QFETCH(bool, usesSoundDevice);

        Beeper beeper;
        beeper.setSoundModules({fakeModule});
        int beeps = 0;
        beeper.setSystemBeep([&] { ++beeps; });
        beeper.prepare();
        FakeSoundOutput* sound = last();
        QVERIFY(sound);
        for (const auto status : before)
            sound->setStatus(status);
        beeper.beep3();
        for (const auto status : after)
            sound->setStatus(status);
        QCOMPARE(sound->plays, plays);
        QCOMPARE(beeper.usesSoundDevice(), usesSoundDevice);
        QCOMPARE(settledBeeps(beeps), systemBeeps);
    }

    void deletedWhileBeeping() {
        int beeps = 0;
        {
            Beeper beeper;
            beeper.setSystemBeepOnly(true);
            beeper.setSystemBeep([&] { ++beeps; });
            beeper.beep3();
        }
        QCOMPARE(settledBeeps(beeps), 1);
    }
};

QTEST_GUILESS_MAIN(TestBeeper)
#include "tst_beeper.moc"
