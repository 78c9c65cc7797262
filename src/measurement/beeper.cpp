#include "measurement/beeper.h"

#include <QDir>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <QtEndian>
#include <cmath>
#include <numbers>

namespace {

void appendLe32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void appendLe16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

}  // namespace

Beeper::Beeper(QObject* parent) : QObject(parent) {}

Beeper::~Beeper() = default;

void Beeper::setSystemBeep(std::function<void()> systemBeep) { m_systemBeep = std::move(systemBeep); }

QByteArray Beeper::threeBeepsWav() {
    const int toneSamples = kSampleRate * kToneMs / 1000;
    const int gapSamples = kSampleRate * kGapMs / 1000;
    const int rampSamples = kSampleRate * 5 / 1000;  // 5 ms fades: no clicks at the edges
    const int samples = 3 * toneSamples + 2 * gapSamples;

    QByteArray pcm;
    pcm.reserve(samples * 2);
    for (int tone = 0; tone < 3; ++tone) {
        for (int s = 0; s < toneSamples; ++s) {
            const double edge = std::min({1.0, double(s) / rampSamples, double(toneSamples - 1 - s) / rampSamples});
            const double x = 0.5 * edge * std::sin(2.0 * std::numbers::pi * kToneHz * s / kSampleRate);
            appendLe16(pcm, static_cast<quint16>(static_cast<qint16>(std::lround(x * 32767))));
        }
        if (tone < 2)
            pcm.append(QByteArray(gapSamples * 2, '\0'));
    }

    QByteArray wav;
    wav.append("RIFF");
    appendLe32(wav, 36 + pcm.size());
    wav.append("WAVEfmt ");
    appendLe32(wav, 16);
    appendLe16(wav, 1);  // PCM
    appendLe16(wav, 1);  // mono
    appendLe32(wav, kSampleRate);
    appendLe32(wav, kSampleRate * 2);
    appendLe16(wav, 2);
    appendLe16(wav, 16);
    wav.append("data");
    appendLe32(wav, pcm.size());
    wav.append(pcm);
    return wav;
}

void Beeper::prepare() {
    if (m_prepared)
        return;
    m_prepared = true;
    if (m_systemBeepOnly || QMediaDevices::audioOutputs().isEmpty())
        return;
    m_file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/taven-beep-XXXXXX.wav"));
    const QByteArray wav = threeBeepsWav();
    if (!m_file->open() || m_file->write(wav) != wav.size() || !m_file->flush()) {
        m_file.reset();
        return;
    }
    m_effect = new QSoundEffect(this);
    connect(m_effect, &QSoundEffect::statusChanged, this, [this] {
        if (m_effect->status() != QSoundEffect::Error || m_soundFailed)
            return;
        m_soundFailed = true;
        // A result taken while the sound was loading still gets its beeps.
        if (m_playPending)
            systemBeep3();
    });
    m_effect->setSource(QUrl::fromLocalFile(m_file->fileName()));
}

void Beeper::beep3() {
    prepare();
    if (m_systemBeepOnly || !m_effect || m_soundFailed) {
        systemBeep3();
        return;
    }
    // Loading is asynchronous; a play asked for meanwhile starts when the sound is ready.
    m_playPending = m_effect->status() != QSoundEffect::Ready;
    m_effect->play();
}

void Beeper::systemBeep3() {
    if (!m_systemBeep)
        return;
    // Spaced by timers, not by sleeping: bytes keep being processed while they sound.
    m_systemBeep();
    QPointer<Beeper> self(this);
    for (int k = 1; k < 3; ++k)
        QTimer::singleShot(k * kSystemBeepGapMs, this, [self] {
            if (self && self->m_systemBeep)
                self->m_systemBeep();
        });
}
