#pragma once
// State that several windows share: the results matrix, the pending prescription, the
// chosen patient and visit, and the measuring settings. The main window owns one Session
// and hands it to the windows that need it; they report back through its signals, so no
// window reaches into another.
#include "common/resultshape.h"

#include <QObject>
#include <QString>
#include <array>
#include <optional>

namespace session {

// A result cell: "max drop", or empty when nothing was measured.
struct Result {
    int max = 0;
    int drop = 0;
};
QString resultText(int max, int drop);
// Nothing for an empty cell or a text that is not two integers separated by one blank.
// Without a string per cell: a card of a thousand visits holds a million of them.
std::optional<Result> parseResult(QStringView text);
// The two fields as typed into the grid, either of them possibly empty (" 12", "9 ").
QString resultText(const QString& max, const QString& drop);
// A cell split for display; a text without a blank (only an edited card holds one) is all
// maximum.
struct ResultFields {
    QString max;
    QString drop;
};
ResultFields splitResult(const QString& text);

class ResultsMatrix {
  public:
    QString& cell(int row, int column) { return m_cells[row][column]; }
    const QString& cell(int row, int column) const { return m_cells[row][column]; }
    static bool inRange(int row, int column) {
        return row >= 0 && row < kResultRows && column >= 0 && column < kResultColumns;
    }
    void clear();
    bool isEmpty() const;
    bool operator==(const ResultsMatrix&) const = default;

  private:
    std::array<std::array<QString, kResultColumns>, kResultRows> m_cells;
};

// The measuring method and time, with the one rule for a time that is out of range.
struct Settings {
    static constexpr int kDefaultMs = 3000;
    static constexpr int kMinMs = 1000;
    static constexpr int kMaxMs = 60000;
    bool oneTouch = true;
    int measuringMs = kDefaultMs;
    // The time to use for a time asked for: within the limits, else the default.
    static int validMs(int ms) { return ms >= kMinMs && ms <= kMaxMs ? ms : kDefaultMs; }
    bool operator==(const Settings&) const = default;
};

// The patient and visit chosen in the patient list. `visit` is the visit's position in
// the card (0 = first); -1 when a patient is chosen but no visit. `token` stands for the
// visit as it was read, so that a change proves it still addresses that visit.
struct Choice {
    QString name;
    QString year;
    QString cardFile; // index field 3, as stored ("c 7.dat")
    int visit = -1;
    QString visitDate;
    QByteArray token{};
    bool hasPatient() const { return !cardFile.isEmpty(); }
    bool hasVisit() const { return hasPatient() && visit >= 0; }
    bool operator==(const Choice&) const = default;
};

class Session : public QObject {
    Q_OBJECT
  public:
    explicit Session(QObject* parent = nullptr) : QObject(parent) {}

    ResultsMatrix strRezult;
    // Empty, or items each preceded by CR LF.
    QString strRecept;

    const Settings& settings() const { return m_settings; }
    void setSettings(const Settings& s);

    const Choice& choice() const { return m_choice; }
    void setChoice(const Choice& c);

    // The visit whose results are in strRezult (the patient's card file and position),
    // so that saving never writes one card's results into another.
    const Choice& loadedVisit() const { return m_loaded; }
    // strRezult was replaced by a visit's results (or emptied); the grid redraws.
    void loadVisit(const Choice& visit, const ResultsMatrix& results);
    // This workstation rewrote a visit: the choice and the loaded visit that named it as it
    // was now name it as it is, so their next change is not refused as made elsewhere.
    void visitRewritten(const QString& cardFile, int visit, const QByteArray& was, const QByteArray& now);

    // Results measured or typed since the last load or save.
    bool unsaved() const { return m_unsaved; }
    void markUnsaved() { m_unsaved = true; }
    void markSaved() { m_unsaved = false; }

    void addToPrescription(const QString& item);
    void clearPrescription();

  signals:
    void settingsChanged();
    void choiceChanged();
    void visitLoaded();
    void prescriptionChanged();

  private:
    Settings m_settings;
    Choice m_choice;
    Choice m_loaded;
    bool m_unsaved = false;
};

} // namespace session
