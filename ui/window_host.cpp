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

// A run pumps after every file, thousands of times a second, and a repaint
// costs several times what writing a small file does. Pending events are
// therefore handled at most once a screen frame: no one sees more, and a click
// on Cancel still acts between two files, at most one frame later.
bool WindowHost::processPendingEvents()
{
    constexpr qint64 kFrameMilliseconds = 16;
    if (!sincePump_.isValid() || sincePump_.hasExpired(kFrameMilliseconds)) {
        QCoreApplication::processEvents();
        sincePump_.start();
    }
    return form_.ending();
}

void WindowHost::shutDown()
{
    form_.EndProgram(0);
}

}  // namespace orvelin::ui
