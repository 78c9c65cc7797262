#pragma once
// The three beeps that tell the practitioner a result was taken. Many Linux desktops have
// a silent system bell, so the beeps are a small generated sound played through the sound
// device; where there is none (or it fails) the system beep is used instead. Either way
// beep3() returns at once. The window holds a Beeper*; its tests hand in a subclass that
// counts.
#include "measurement/soundoutput.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class Beeper : public QObject {
    Q_OBJECT
  public:
    static constexpr int kSampleRate = 22050;
    static constexpr int kToneHz = 1000;
    static constexpr int kToneMs = 100;
    static constexpr int kGapMs = 80;
    static constexpr int kSystemBeepGapMs = 180;

    explicit Beeper(QObject* parent = nullptr);
    ~Beeper() override;

    virtual void beep3();

    // The system beep for machines without a sound device, e.g. QApplication::beep
    // (this library has no widgets). Unset: nothing sounds there.
    void setSystemBeep(std::function<void()> systemBeep);
    // Only the system beep, never the sound device.
    void setSystemBeepOnly(bool only) { m_systemBeepOnly = only; }
    // Loads the sound module, finds the sound device and loads the sound ahead of the first
    // beep, so the first result is not the one that waits for it.
    void prepare();
    bool usesSoundDevice() const { return m_sound != nullptr && !m_soundFailed; }

    // Where prepare() looks for the sound module, the first that loads wins: next to the
    // program, then in the installed library folder. None loads: the system beep.
    static QStringList defaultSoundModules();
    static QStringList soundModulesFor(const QString& programDir);
    void setSoundModules(QStringList paths) { m_soundModules = std::move(paths); }

    // The three tones as a 16-bit mono PCM WAV file.
    static QByteArray threeBeepsWav();

  private:
    void systemBeep3();
    void soundStatusChanged(SoundOutput::Status status);

    std::function<void()> m_systemBeep;
    std::optional<QStringList> m_soundModules; // unset: defaultSoundModules()
    std::unique_ptr<SoundOutput> m_sound;
    bool m_prepared = false;
    bool m_soundFailed = false;
    bool m_playPending = false;
    bool m_systemBeepOnly = false;
};
