#pragma once
// Turns the device's byte stream into the bar, the figures and the stored results, one
// byte at a time. No widgets and no timers here: the window passes the state of its
// controls with every byte and carries out what the processor asks through ReadingSink,
// so a test can drive the whole measurement byte by byte.
#include "common/session.h"
#include <QByteArray>

#include <QString>
#include <functional>

namespace reading {

constexpr int kButtonByte = 255;
constexpr int kResetByte = 250;
constexpr int kLowByte = 70;   // probe off the skin: value 0
constexpr int kHighByte = 170; // value 100
constexpr int kTouchStartByte = 73;
constexpr int kPressWindowMs = 1000; // Timer2: a press closed within it is short
constexpr int kScaleTwips = 5000;    // full length of the bar, value 100
constexpr int kVegaMinByte = 105;    // closing byte of a long press that may start VEGA
constexpr int kVegaMaxByte = 135;
constexpr float kVegaReference = 80.0f;

// The window's controls as they stand when a byte is processed.
struct ReadingContext {
    bool oneTouch = true; // opt1 "одно касание"; otherwise opt3 "три касания"
    int measuringMs = session::Settings::kDefaultMs; // the cached settings' time
    bool testing = false;                            // opttest "Медикам. тестирование"
    bool branches = false;      // opthand "Диагностика по ответвлениям"
    bool timer2Running = false; // Timer2.isActive() at this byte
    bool kti = false;           // chkkti "по КТИ"
    int listPosition = 0;       // cbomeridian list position: meridian 0..20 or branch item 0..3
    int number = 0;             // effective selected row 0..13
    int intright = 0;           // 0 left side, 14 right side
};

// What the processor asks of the window. Every call comes from inside processByte() or
// Timer1_Timer().
class ReadingSink {
  public:
    virtual ~ReadingSink() = default;
    virtual void startTimer1(int ms) = 0;
    virtual void stopTimer1() = 0;
    virtual void startTimer2(int ms) = 0;
    virtual void stopTimer2() = 0;
    // lblpower width in twips, 0..kScaleTwips.
    virtual void showBar(int widthTwips) = 0;
    // Medication testing or VEGA: lblmax shows the value, lblpad is emptied.
    virtual void showLive(int value) = 0;
    // txtmax(number) and lblmax show max, txtpad(number) and lblpad show drop.
    virtual void showResult(int max, int drop) = 0;
    // strRezult(row, column) = text ("max drop"); row and column are within the matrix.
    virtual void storeResult(int row, int column, const QString& text) = 0;
    // Three beeps; must return at once (the bytes that follow are processed right away).
    virtual void beep3() = 0;
    // A measurement ended with no row to take it (no meridian, point or branch item
    // selected): said instead of the beeps, so no result is ever lost unnoticed.
    virtual void resultNotStored(int max, int drop) = 0;
    // Byte 250: lblVega hidden, optdiagnoz and opthand shown and point diagnostics
    // selected, opttest enabled.
    virtual void resetToPoints() = 0;
    // Short press with "по КТИ": the next meridian (catalogue::nextMeridianPosition()).
    virtual void nextMeridian() = 0;
    // Short press without "по КТИ": Index one row up (catalogue::previousPointRow()).
    virtual void previousPoint() = 0;
    // lblVega shown, optdiagnoz/opthand hidden, opttest and cmdsave disabled, scale in
    // VEGA colours. sngVega is already set.
    virtual void startVega() = 0;
    // lblVega hidden, optdiagnoz/opthand shown, opttest enabled, then optdiagnoz_Click.
    virtual void endVega() = 0;
};

class ReadingProcessor {
  public:
    explicit ReadingProcessor(ReadingSink& sink) : m_sink(sink) {}

    // One received byte.
    void processByte(quint8 byte, const ReadingContext& ctx);
    // Every byte of a notification, in order; the context is asked afresh for each byte
    // because the previous byte may have started or stopped Timer2. Nothing to read does
    // nothing.
    void processBytes(const QByteArray& bytes, const std::function<ReadingContext()>& context);

    // Timer1 expiry: the measuring time of the touch in hand has run out.
    void Timer1_Timer();

    // Bar width in twips for a scale value, with the VEGA factor; never past the scale's end.
    int barWidth(int value) const;

    // Start-up: no touch, no press, no VEGA, a fresh three-touch set.
    void restart();
    // The method changed to three touches: the set starts again.
    void restartTouchCount() { int3 = 0; }

    // The measurement variables, under their names.
    int datain() const { return m_datain; }
    int datainmax() const { return m_datainmax; }
    int datainmin() const { return m_datainmin; }
    bool blndata() const { return m_blndata; }
    bool blnrezult() const { return m_blnrezult; }
    bool blnpoint() const { return m_blnpoint; }
    bool blnVega() const { return m_blnVega; }
    float sngVega() const { return m_sngVega; }
    int touchCount() const { return int3; }

  private:
    void reset();
    void closePress(const ReadingContext& ctx);
    void aReading(const ReadingContext& ctx);
    void startTouch(const ReadingContext& ctx);
    // Three touches: the maximum of a finished touch; the third gives the result.
    void oneOfThreeTouches(const ReadingContext& ctx, int max, bool ended);
    // Shows and stores a result and beeps; with no row to take it, says so instead.
    void takeResult(const ReadingContext& ctx, int max, int drop);
    static bool hasRow(const ReadingContext& ctx);

    ReadingSink& m_sink;
    int m_datain = 0;
    int m_datainmax = 0;
    int m_datainmin = 0;
    int datainmax1 = 0;
    int datainmax2 = 0;
    int datainmax3 = 0;
    bool m_blndata = false;
    bool m_blnrezult = false;
    bool m_blnpoint = false;
    bool m_blnVega = false;
    float m_sngVega = 1.0f;
    int int3 = 0;
};

} // namespace reading
