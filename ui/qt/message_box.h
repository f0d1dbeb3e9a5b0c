#pragma once

#include "ui/form/toolkit.h"

#include <QString>

#include <functional>

class QWidget;

namespace orvelin::ui::qt {

// What a message box showed.
struct ShownBox {
    QString text;
    QString title;
    MessageIcon icon;
    QWidget* owner;  // the window it belongs to
};

// Modal OK-only message boxes, with a seam through which tests take every box
// instead of a person.
class MessageBox {
public:
    // Shows the box modally, owned by parent; returns when it is dismissed.
    static void Show(QWidget* parent, const QString& text, const QString& title, MessageIcon icon);
    // A box with Yes and No (Yes the default); true for Yes. Tests answer it
    // through the answerer, with the answer SetAnswerToQuestions gives.
    static bool Ask(QWidget* parent, const QString& text, const QString& title);
    static void SetAnswerToQuestions(bool yes);

    // From now on boxes go to answer instead of the screen; an empty function
    // shows them again.
    static void SetAnswerer(std::function<void(const ShownBox&)> answer);

private:
    static std::function<void(const ShownBox&)>& Answerer();
};

}  // namespace orvelin::ui::qt
