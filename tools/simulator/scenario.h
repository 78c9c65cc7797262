#pragma once
// The simulator's scenario language and the byte stream it stands for. One step per line
// (or separated by ";"), "#" starts a comment:
//
//   rate 10ms            one byte every 10 ms (the default)
//   pause 2s             probe off the skin: bytes 70
//   touch 40 3.5s        a touch rising to value 40 and sagging by a quarter of it
//   touch 40 3.5s drop 8 ... sagging by 8
//   press short          button: 255, 0.3 s of silence, a closing byte 70
//   press long [45]      button: 255, 1.5 s of silence, a closing byte of value 45 (50)
//   reset                the reset code 250
//   noise 1s [5]         random readings of value 0..5 (0..2: never starts a touch)
//   byte 200             one raw byte
//
// Times: "3.5s", "200ms", or a plain number of seconds. Values are on the 0..100 scale.
#include <QList>
#include <QString>

namespace sim {

constexpr int kShortPressMs = 300;
constexpr int kLongPressMs = 1500;
constexpr int kLongPressValue = 50; // byte 120: starts VEGA after a reference reading

struct Step {
    enum class Kind { Rate, Pause, Touch, PressShort, PressLong, Reset, Noise, Byte };
    Kind kind = Kind::Pause;
    int ms = 0;
    int value = 0; // touch peak, long press closing value, noise ceiling, raw byte
    int drop = -1; // touch sag; -1: a quarter of the peak
};

struct Scenario {
    QList<Step> steps;
};

struct TimedByte {
    qint64 atMs = 0; // from the start of the run
    quint8 byte = 0;
    bool operator==(const TimedByte&) const = default;
};

// False and a message naming the line on a bad step; nothing is half parsed.
bool parse(const QString& text, Scenario* scenario, QString* error);

// Makes the bytes of a step one at a time, so a step of a day costs no more memory than
// one of a second.
class Generator {
  public:
    explicit Generator(quint32 seed = 1) : m_seed(seed | 1u) {}
    // Starts a step at atMs; its bytes then come from nextByte() until it returns false.
    void begin(const Step& s, qint64 atMs);
    bool nextByte(TimedByte* out);
    // When the next byte is due; delay() moves it later (a key's step played in between).
    qint64 clock() const { return m_at; }
    void delay(qint64 toMs);
    // The bytes of one step, from atMs on; returns the time after it.
    qint64 step(const Step& s, qint64 atMs, QList<TimedByte>* out);
    QList<TimedByte> run(const Scenario& scenario, qint64 startMs = 0);
    int rateMs() const { return m_rateMs; }
    // Time the whole scenario takes from 0 (the end of its last byte's slot).
    qint64 endMs() const { return m_endMs; }

  private:
    quint32 next();
    int byteAt(int k);

    quint32 m_seed;
    int m_rateMs = 10;
    qint64 m_endMs = 0;
    Step m_step;
    qint64 m_at = 0;
    int m_k = 0, m_n = 0;       // the step's next byte and its byte count
    int m_rise = 0, m_drop = 0; // a touch's rising bytes and its sag
};

// A scenario played byte by byte as the clock advances, never expanded in memory.
class Stream {
  public:
    Stream(const Scenario& scenario, Generator* gen, qint64 startMs = 0);
    // The next byte; false at the end of the scenario.
    bool next(TimedByte* out);
    // From the first step again (a loop), at atMs.
    void restart(qint64 atMs);
    qint64 clock() const { return m_gen->clock(); }

  private:
    const Scenario& m_scenario;
    Generator* m_gen;
    qsizetype m_index = 0;
};

} // namespace sim
