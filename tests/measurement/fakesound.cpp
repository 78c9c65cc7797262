#include "fakesound.h"

namespace {
bool available = true;
FakeSoundOutput* last = nullptr;
} // namespace

extern "C" Q_DECL_EXPORT SoundOutput*
tavenCreateSoundOutput(int version, const QByteArray& wav,
                       std::function<void(SoundOutput::Status)> statusChanged) {
    last = nullptr;
    if (version != kSoundOutputVersion || !available || wav.isEmpty())
        return nullptr;
    last = new FakeSoundOutput(std::move(statusChanged));
    return last;
}

extern "C" Q_DECL_EXPORT void fakeSoundSetAvailable(bool on) {
    available = on;
    last = nullptr;
}
extern "C" Q_DECL_EXPORT FakeSoundOutput* fakeSoundLast() {
    return last;
}
