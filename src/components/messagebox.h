#pragma once
// Modal message boxes, with a seam so tests can answer them.

#include <QString>

class QWidget;

namespace dsc::MessageBox {

enum class Kind { Question, Information, Warning };
enum class Answer { Yes, No, Ok };

// Yes/No with the question icon, No as the default button.
Answer question(QWidget* parent, const QString& title, const QString& text);
// OK with the information icon.
void information(QWidget* parent, const QString& title, const QString& text);
// OK with the warning icon.
void warning(QWidget* parent, const QString& title, const QString& text);

// Tests: the next box is not shown but answered with `answer`, and recorded; answers queue up.
struct Shown {
    Kind kind;
    QString title, text;
};
void setNextAnswer(Answer answer);
// Tests: a box with no answer set ends the program with its text instead of waiting forever.
void refuseUnansweredBoxes();
// Every box answered that way since the last call, oldest first.
QList<Shown> takeShown();
// Answers set but not used, which are dropped.
int takeAnswers();

} // namespace dsc::MessageBox
