#include "ui/window_host.h"

#include "ui/form1.h"
#include "ui/message_box.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>

namespace orvelin::ui {

WindowHost::WindowHost(Form1& form, platform::FileManagerLauncher& fileManager)
    : PlatformHostServices(&fileManager), form_(form)
{
}

std::string WindowHost::chosenFileTitle()
{
    // The same encoding as the path handed to the engine, so lengths agree.
    return QFile::encodeName(form_.CommonDialog1.fileTitle()).toStdString();
}

void WindowHost::showMessage(std::string_view text, std::string_view title, MessageIcon icon)
{
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    MessageBox::Show(&form_, shown, QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())),
                     icon == MessageIcon::Critical ? BoxIcon::Critical : BoxIcon::Information);
}

void WindowHost::setProgress(bool visible, std::string_view caption)
{
    form_.Label3->setVisible(visible);
    form_.Label3->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

bool WindowHost::processPendingEvents()
{
    QCoreApplication::processEvents();
    return form_.ending();
}

void WindowHost::shutDown()
{
    form_.EndProgram(0);
}

}  // namespace orvelin::ui
