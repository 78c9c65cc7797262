#pragma once
// Turns the device's byte stream into the bar, the figures and the stored results, one
// byte at a time. No widgets and no timers here: the window passes the state of its
// controls with every byte and carries out the Effects the byte returns, so a test can
// drive the whole measurement byte by byte and read what each byte asks for.
#include "common/session.h"
#include <QByteArray>

#include <QString>
#include <functional>
#include <optional>

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

// A finished measurement: txtmax(number)/lblmax show max, txtpad(number)/lblpad show
// drop, and strRezult(row, column) takes `text`. Row -1: no meridian, point or branch
// item was selected; the window says the result was not stored, so none is ever lost
// unnoticed, and does not beep.
struct ReadingResult {
    int max = 0;
    int drop = 0;
    int row = -1;
    int column = -1;
    QString text;
    bool operator==(const ReadingResult&) const = default;
};

// What one byte or one Timer1 expiry asks of the window. The window carries the members
// out in the order they are declared, which is the order the processor decides them in:
// the reset before the press it closes, a result stored before its beeps.
struct Effects {
    // What a closed press does, besides stopping Timer2.
    enum class Move : quint8 {
        None,
        NextMeridian,  // short press with "по КТИ": catalogue::nextMeridianPosition()
        PreviousPoint, // short press without: Index one row up (catalogue::previousPointRow())
        StartVega,     // lblVega shown, optdiagnoz/opthand hidden, opttest and cmdsave
                       // disabled, scale in VEGA colours; sngVega is already set
        EndVega,       // lblVega hidden, optdiagnoz/opthand shown, opttest enabled, then
                       // optdiagnoz_Click
    };
    using Result = ReadingResult;

    // Byte 250: lblVega hidden, optdiagnoz and opthand shown and point diagnostics
    // selected, opttest enabled.
    bool resetToPoints = false;
    bool stopTimer2 = false;
    std::optional<int> startTimer2Ms;
    Move move = Move::None;
    std::optional<int> barTwips; // lblpower width, 0..kScaleTwips
    bool stopTimer1 = false;
    std::optional<int> startTimer1Ms;
    // Medication testing or VEGA: lblmax shows the value, lblpad is emptied.
    std::optional<int> live;
    std::optional<Result> result;
    bool beep3 = false; // three beeps; must return at once (the next byte waits for them)

    bool operator==(const Effects&) const = default;
};

class ReadingProcessor {
  public:
    // One received byte.
    [[nodiscard]] Effects processByte(quint8 byte, const ReadingContext& ctx);
    // Every byte of a notification, in order; each byte's effects are applied before the
    // context is asked afresh for the next, because the previous byte may have started or
    // stopped Timer2. Nothing to read does nothing.
    void processBytes(const QByteArray& bytes, const std::function<ReadingContext()>& context,
                      const std::function<void(const Effects&)>& apply);

    // Timer1 expiry: the measuring time of the touch in hand has run out.
    [[nodiscard]] Effects Timer1_Timer();

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
    void reset(Effects& fx);
    void closePress(const ReadingContext& ctx, Effects& fx);
    void aReading(const ReadingContext& ctx, Effects& fx);
    void startTouch(const ReadingContext& ctx, Effects& fx);
    // Three touches: the maximum of a finished touch; the third gives the result.
    void oneOfThreeTouches(const ReadingContext& ctx, int max, bool ended, Effects& fx);
    // A result to show, store and beep for; with no row to take it, one to tell of.
    static void takeResult(const ReadingContext& ctx, int max, int drop, Effects& fx);
    static bool hasRow(const ReadingContext& ctx);

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
