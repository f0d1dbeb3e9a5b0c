#include "ui/qt/toolkit_widget.h"

#include "ui/qt/file_dialog.h"
#include "ui/qt/message_box.h"
#include "ui/qt/window_parts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLabel>

namespace orvelin::ui::qt {

std::optional<std::string> CalendarWidget::OpenDialog(const DialogSettings& settings, const std::string& initialFile)
{
    return FileDialog::ShowOpen(this, settings, initialFile);
}

void CalendarWidget::Box(std::string_view text, std::string_view title, MessageIcon icon)
{
    MessageBox::Show(this, BoxText(text), FromUtf8(title), icon);
}

void CalendarWidget::ShowProgressLine(bool visible)
{
    progressLine_->setVisible(visible);
}

void CalendarWidget::SetProgressLine(std::string_view caption)
{
    progressLine_->setText(FromUtf8(caption));
}

void CalendarWidget::PumpEvents()
{
    QCoreApplication::processEvents();
}

void CalendarWidget::End(int exitStatus)
{
    close();
    emit programEnding(exitStatus);
}

void CalendarWidget::closeEvent(QCloseEvent* event)
{
    OnClose();
    event->accept();
}

void CalendarWidget::dragEnterEvent(QDragEnterEvent* event)
{
    WelcomeCalendar(event);
}

void CalendarWidget::dropEvent(QDropEvent* event)
{
    if (const std::optional<std::string> file = DroppedCalendar(event))
        OpenFile(*file);
}

}  // namespace orvelin::ui::qt
