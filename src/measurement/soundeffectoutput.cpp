// The tavensound module: the beeper's sound through QSoundEffect. Only this file links Qt
// Multimedia.
#include "measurement/soundoutput.h"

#include <QAudioDevice>
#include <QDir>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QUrl>
#include <memory>
#include <type_traits>

namespace {

class SoundEffectOutput final : public SoundOutput {
  public:
    SoundEffectOutput(std::unique_ptr<QTemporaryFile> file, std::function<void(Status)> statusChanged)
        : m_file(std::move(file)) {
        QObject::connect(&m_effect, &QSoundEffect::statusChanged, &m_effect,
                         [this, changed = std::move(statusChanged)] {
                             if (changed)
                                 changed(status());
                         });
        m_effect.setSource(QUrl::fromLocalFile(m_file->fileName()));
    }
    // The beeper that gets the status may be half destroyed by now.
    ~SoundEffectOutput() override { QObject::disconnect(&m_effect, nullptr, nullptr, nullptr); }

    Status status() const override {
        switch (m_effect.status()) {
        case QSoundEffect::Ready:
            return Status::Ready;
        case QSoundEffect::Error:
            return Status::Failed;
        default:
            return Status::Loading;
        }
    }
    void play() override { m_effect.play(); }

  private:
    // Declared before the effect: the file stays until the effect is gone.
    std::unique_ptr<QTemporaryFile> m_file;
    QSoundEffect m_effect;
};

} // namespace

extern "C" Q_DECL_EXPORT SoundOutput*
tavenCreateSoundOutput(int version, const QByteArray& wav,
                       std::function<void(SoundOutput::Status)> statusChanged) {
    if (version != kSoundOutputVersion || QMediaDevices::audioOutputs().isEmpty())
        return nullptr;
    // QSoundEffect plays files only.
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/taven-beep-XXXXXX.wav"));
    if (!file->open() || file->write(wav) != wav.size() || !file->flush())
        return nullptr;
    return new SoundEffectOutput(std::move(file), std::move(statusChanged));
}

static_assert(std::is_same_v<decltype(&tavenCreateSoundOutput), SoundOutputFactory>,
              "the module's entry point must match what the beeper looks up");
