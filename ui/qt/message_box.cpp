#include "ui/qt/message_box.h"

#include <QMessageBox>

namespace orvelin::ui::qt {

void MessageBox::Show(QWidget* parent, const QString& text, const QString& title, MessageIcon icon)
{
    if (Answerer()) {
        Answerer()({text, title, icon, parent});
        return;
    }
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information, title, text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

namespace {

bool& AnswerToQuestions()
{
    static bool yes = true;
    return yes;
}

}  // namespace

bool MessageBox::Ask(QWidget* parent, const QString& text, const QString& title)
{
    if (Answerer()) {
        Answerer()({text, title, MessageIcon::Information, parent});
        return AnswerToQuestions();
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void MessageBox::SetAnswerToQuestions(bool yes)
{
    AnswerToQuestions() = yes;
}

void MessageBox::SetAnswerer(std::function<void(const ShownBox&)> answer)
{
    Answerer() = std::move(answer);
}

std::function<void(const ShownBox&)>& MessageBox::Answerer()
{
    static std::function<void(const ShownBox&)> answerer;
    return answerer;
}

}  // namespace orvelin::ui::qt
