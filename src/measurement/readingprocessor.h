#pragma once
// Turns the device's byte stream into the bar, the figures and the stored results, one
// byte at a time. No widgets and no timers here: the window passes the state of its
// controls with every byte and carries out what the processor asks through ReadingSink,
// so a test can drive the whole measurement byte by byte.
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
constexpr int kDefaultMeasuringMs = 3000;
// Longest accepted measuring time: the timer interval of the original was 16 bits wide.
constexpr int kMaxMeasuringMs = 60000;

// The window's controls as they stand when a byte is processed.
struct ReadingContext {
    bool oneTouch = true; // opt1 "одно касание"; otherwise opt3 "три касания"
    int measuringMs = kDefaultMeasuringMs; // lbltime × 1000, see measuringMs()
    bool testing = false;                  // opttest "Медикам. тестирование"
    bool branches = false;                 // opthand "Диагностика по ответвлениям"
    bool timer2Running = false;            // Timer2.isActive() at this byte
    bool kti = false;                      // chkkti "по КТИ"
    int listPosition = 0;                  // cbomeridian list position: meridian 0..20 or branch item 0..3
    int number = 0;                        // effective selected row 0..13
    int intright = 0;                      // 0 left side, 14 right side
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
    // Byte 250: lblVega hidden, optdiagnoz and opthand shown and point diagnostics
    // selected, opttest enabled.
    virtual void resetToPoints() = 0;
    // Short press with "по КТИ": the next meridian (see nextMeridianPosition()).
    virtual void nextMeridian() = 0;
    // Short press without "по КТИ": Index one row up (see previousPointRow()).
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

    // Measuring time text (lbltime, "3", "3.5" or "3,5") in milliseconds. A text that is no
    // positive number up to kMaxMeasuringMs gives kDefaultMeasuringMs and *ok false.
    static int measuringMs(const QString& timeText, bool* ok = nullptr);
    // The short press's steps: the next meridian list position (after the last comes the
    // first), and Index one row up, wrapping to the meridian's bottom row; an Index outside
    // the meridian's rows starts again from its bottom row.
    static int nextMeridianPosition(int position);
    static int previousPointRow(int index, int meridian);
    // Result text: the maximum, one blank, the drop.
    static QString resultText(int max, int drop);

    // The window's measurement variables, under their names; the options window writes
    // int3.
    int datain = 0;
    int datainmax = 0;
    int datainmin = 0;
    int datainmax1 = 0;
    int datainmax2 = 0;
    int datainmax3 = 0;
    bool blndata = false;
    bool blnrezult = false;
    bool blnpoint = false;
    bool blnVega = false;
    float sngVega = 1.0f;
    int int3 = 0;

  private:
    void reset();
    void closePress(const ReadingContext& ctx);
    void aReading(const ReadingContext& ctx);
    void startTouch(const ReadingContext& ctx);
    void takeResult(const ReadingContext& ctx, int max, int drop);

    ReadingSink& m_sink;
};

} // namespace reading
