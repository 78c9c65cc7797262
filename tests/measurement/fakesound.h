#pragma once
// A sound module for the beeper's tests (fakesound): no device, a status the test sets and a
// count of plays. The test loads the same module as the beeper and reaches its outputs
// through the functions below.
#include "measurement/soundoutput.h"

#include <utility>

class FakeSoundOutput final : public SoundOutput {
  public:
    explicit FakeSoundOutput(std::function<void(Status)> statusChanged)
        : m_statusChanged(std::move(statusChanged)) {}
    Status status() const override { return m_status; }
    void play() override { ++plays; }
    // As the device would report it, later, from the event loop.
    void setStatus(Status status) {
        m_status = status;
        m_statusChanged(status);
    }

    int plays = 0;

  private:
    Status m_status = Status::Loading;
    std::function<void(Status)> m_statusChanged;
};

// Whether the next factory call finds an audio output; forgets the last output.
inline constexpr char kFakeSoundSetAvailable[] = "fakeSoundSetAvailable";
using FakeSoundSetAvailable = void (*)(bool available);
// The output the factory made last, nullptr after one that found none; still owned by the
// beeper.
inline constexpr char kFakeSoundLast[] = "fakeSoundLast";
using FakeSoundLast = FakeSoundOutput* (*)();
