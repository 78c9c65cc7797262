#pragma once
// The sound device as the beeper sees it. The implementation is a module (tavensound) that
// the beeper loads when it prepares the sound: linked in, Qt Multimedia and its libraries
// would be loaded and relocated at every start, before the window shows.
#include <QByteArray>
#include <functional>

class SoundOutput {
  public:
    enum class Status { Loading, Ready, Failed };

    virtual ~SoundOutput() = default;
    virtual Status status() const = 0;
    // Plays the sound once and returns at once; asked for while loading, it plays when loaded.
    virtual void play() = 0;
};

// Raised whenever this interface changes, so that a module left from another build is refused
// instead of called.
inline constexpr int kSoundOutputVersion = 1;

// The module's one entry point, an extern "C" function of this name. It returns nullptr when
// the version differs, there is no audio output or the sound cannot be set up. statusChanged
// is called on the thread that made the output, never after the output is deleted. The
// module is never unloaded, so the output's code outlives it.
inline constexpr char kSoundOutputFactory[] = "tavenCreateSoundOutput";
using SoundOutputFactory = SoundOutput* (*)(int version, const QByteArray& wav,
                                            std::function<void(SoundOutput::Status)> statusChanged);
