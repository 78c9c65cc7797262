#include "measurement/beeper.h"

#include "common/moduleloader.h"

#include <QPointer>
#include <QTimer>
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

} // namespace

Beeper::Beeper(QObject* parent) : QObject(parent) {}

Beeper::~Beeper() = default;

void Beeper::setSystemBeep(std::function<void()> systemBeep) {
    m_systemBeep = std::move(systemBeep);
}

QByteArray Beeper::threeBeepsWav() {
    const int toneSamples = kSampleRate * kToneMs / 1000;
    const int gapSamples = kSampleRate * kGapMs / 1000;
    const int rampSamples = kSampleRate * 5 / 1000; // 5 ms fades: no clicks at the edges
    const int samples = 3 * toneSamples + 2 * gapSamples;

    QByteArray pcm;
    pcm.reserve(samples * 2);
    for (int tone = 0; tone < 3; ++tone) {
        for (int s = 0; s < toneSamples; ++s) {
            const double edge =
                std::min({1.0, double(s) / rampSamples, double(toneSamples - 1 - s) / rampSamples});
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
    appendLe16(wav, 1); // PCM
    appendLe16(wav, 1); // mono
    appendLe32(wav, kSampleRate);
    appendLe32(wav, kSampleRate * 2);
    appendLe16(wav, 2);
    appendLe16(wav, 16);
    wav.append("data");
    appendLe32(wav, pcm.size());
    wav.append(pcm);
    return wav;
}

QStringList Beeper::defaultSoundModules() {
    return moduleloader::candidates(QStringLiteral(TAVEN_SOUND_MODULE_NAME),
                                    QStringLiteral(TAVEN_SOUND_MODULE_FROM_BIN));
}

QStringList Beeper::soundModulesFor(const QString& programDir) {
    return moduleloader::candidates(programDir, QStringLiteral(TAVEN_SOUND_MODULE_NAME),
                                    QStringLiteral(TAVEN_SOUND_MODULE_FROM_BIN));
}

void Beeper::prepare() {
    if (m_prepared)
        return;
    m_prepared = true;
    if (m_systemBeepOnly)
        return;
    const QByteArray wav = threeBeepsWav();
    // A module that finds no sound device stays loaded all the same: it may have started
    // Qt Multimedia's threads on the way.
    moduleloader::load(m_soundModules.value_or(defaultSoundModules()), kSoundOutputFactory,
                       [this, &wav](QFunctionPointer entry) {
                           const auto create = reinterpret_cast<SoundOutputFactory>(entry);
                           m_sound.reset(create(kSoundOutputVersion, wav,
                                                [this](SoundOutput::Status s) { soundStatusChanged(s); }));
                           return m_sound ? moduleloader::Answer::Serves : moduleloader::Answer::Declines;
                       });
}

void Beeper::soundStatusChanged(SoundOutput::Status status) {
    if (status == SoundOutput::Status::Failed) {
        m_soundFailed = true;
        // A result taken while the sound was loading still gets its beeps.
        if (m_playPending)
            systemBeep3();
    }
    // Ready: a pending beep plays through the device, so a later failure owes it nothing.
    if (status != SoundOutput::Status::Loading)
        m_playPending = false;
}

void Beeper::beep3() {
    prepare();
    if (m_systemBeepOnly || !m_sound || m_soundFailed) {
        systemBeep3();
        return;
    }
    // Loading is asynchronous; a play asked for meanwhile starts when the sound is ready.
    m_playPending = m_sound->status() != SoundOutput::Status::Ready;
    m_sound->play();
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
