#include "messagebox.h"

#include <QList>
#include <QMessageBox>

#include <QQueue>

namespace dsc::MessageBox {

namespace {

QQueue<Answer> g_nextAnswers;
bool g_refuseUnanswered = false;
QList<Shown> g_shown;

Answer show(QWidget* parent, Kind kind, const QString& title, const QString& text) {
    if (!g_nextAnswers.isEmpty()) {
        g_shown.push_back({kind, title, text});
        return g_nextAnswers.dequeue();
    }
    if (g_refuseUnanswered) {
        qFatal("a message box was shown with no answer set: %s", qPrintable(text));
    }
    if (kind == Kind::Question) {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    QMessageBox box(kind == Kind::Information ? QMessageBox::Information : QMessageBox::Warning, title, text,
                    QMessageBox::Ok, parent);
    box.exec();
    return Answer::Ok;
}

} // namespace

Answer question(QWidget* parent, const QString& title, const QString& text) {
    return show(parent, Kind::Question, title, text);
}
void information(QWidget* parent, const QString& title, const QString& text) {
    show(parent, Kind::Information, title, text);
}
void warning(QWidget* parent, const QString& title, const QString& text) {
    show(parent, Kind::Warning, title, text);
}

void refuseUnansweredBoxes() {
    g_refuseUnanswered = true;
}

void setNextAnswer(Answer answer) {
    g_nextAnswers.enqueue(answer);
}

QList<Shown> takeShown() {
    return std::exchange(g_shown, {});
}

int takeAnswers() {
    return static_cast<int>(std::exchange(g_nextAnswers, {}).size());
}

} // namespace dsc::MessageBox
