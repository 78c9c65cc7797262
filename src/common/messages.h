#pragma once
// Every message box of the program goes through here, so that tests can read what was
// shown and give the answer instead of a person.
#include <QString>
#include <functional>

class QWidget;

namespace msgbox {

inline const QString kErrorTitle = QStringLiteral("Ошибка");

enum class Answer { Ok, Yes, No, Cancel };

struct Shown {
    QString text;
    QString title;
    bool question = false; // Yes/No with the question icon; otherwise OK with the information icon
    bool defaultNo = false;
    bool cancel = false;  // a third button, Cancel, that backs out of what was being done
    bool warning = false; // the warning icon: something outside the program needs seeing to
};

// A refusal or failure: information icon, OK.
void info(QWidget* parent, const QString& text, const QString& title = kErrorTitle);
// Something outside the program to see to (a device, a folder): warning icon, OK.
void warning(QWidget* parent, const QString& text, const QString& title = kErrorTitle);
// The program's name and version under its own icon, OK.
void about(QWidget* parent, const QString& text, const QString& title);
// A Yes/No question with the question icon.
Answer question(QWidget* parent, const QString& text, const QString& title, bool defaultNo);
// A Yes/No/Cancel question with the question icon, Yes the default.
Answer questionWithCancel(QWidget* parent, const QString& text, const QString& title);

using Handler = std::function<Answer(const Shown&)>;
// Replaces the dialogs (tests); an empty handler brings them back.
void setHandler(Handler handler);

} // namespace msgbox
