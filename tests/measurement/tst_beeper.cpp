#include "measurement/beeper.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QtEndian>
#include <QtTest>

namespace {

quint32 le32(const QByteArray& b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
qint16 sample(const QByteArray& wav, int k) { return qFromLittleEndian<qint16>(wav.constData() + 44 + 2 * k); }

}  // namespace

class TestBeeper : public QObject {
    Q_OBJECT
private slots:
    // Three tones of the set length with silence between them, loud enough to hear and
    // never clipping.
    void threeTones() {
        const QByteArray wav = Beeper::threeBeepsWav();
        QCOMPARE(wav.left(4) + wav.mid(8, 4) + wav.mid(36, 4), QByteArray("RIFFWAVEdata"));
        QCOMPARE(le32(wav, 24), quint32(Beeper::kSampleRate));
        QCOMPARE(le32(wav, 40), quint32(wav.size() - 44));
        const int samples = (wav.size() - 44) / 2;
        const int silentRun = Beeper::kSampleRate * 20 / 1000;
        QList<QPair<int, int>> tones;  // first and last loud sample
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
        QTest::qWait(3 * Beeper::kSystemBeepGapMs);
        QCOMPARE(beeps, 3);
    }

    // A machine without a sound device (a server, CI) falls back to the system beep and
    // raises no error; with one, the sound device plays.
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

    void deletedWhileBeeping() {
        int beeps = 0;
        {
            Beeper beeper;
            beeper.setSystemBeepOnly(true);
            beeper.setSystemBeep([&] { ++beeps; });
            beeper.beep3();
        }
        QTest::qWait(3 * Beeper::kSystemBeepGapMs);
        QCOMPARE(beeps, 1);
    }
};

QTEST_GUILESS_MAIN(TestBeeper)
#include "tst_beeper.moc"
