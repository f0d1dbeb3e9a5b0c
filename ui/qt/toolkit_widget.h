#pragma once

#include "ui/form/toolkit.h"

#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

class QLabel;

namespace orvelin::ui::qt {

// What every Qt window of the program shares: the open-file dialog and boxes
// it owns, its progress line, the event pump, the end of the program, closing,
// and a calendar dropped on it.
class CalendarWidget : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

signals:
    // The program ends with this exit status; nothing of a run follows.
    void programEnding(int exitStatus);

protected:
    std::optional<std::string> OpenDialog(const DialogSettings& settings, const std::string& initialFile);
    void Box(std::string_view text, std::string_view title, MessageIcon icon);
    void ShowProgressLine(bool visible);
    void SetProgressLine(std::string_view caption);
    void PumpEvents();
    void End(int exitStatus);

    // What the window's behaviour does when the window is closed, and with a
    // calendar dropped on it (split as if chosen in the dialog).
    virtual void OnClose() = 0;
    virtual void OpenFile(const std::string& file) = 0;

    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    QLabel* progressLine_ = nullptr;  // the window's, once made
};

// The toolkit's part that every Qt window gives the same way.
template <typename Interface>
class ToolkitWidget : public CalendarWidget, public Interface {
public:
    using CalendarWidget::CalendarWidget;

    std::optional<std::string> ShowOpenDialog(const DialogSettings& settings, const std::string& initialFile) override
    {
        return OpenDialog(settings, initialFile);
    }
    void ShowBox(std::string_view text, std::string_view title, MessageIcon icon) override { Box(text, title, icon); }
    void SetProgressVisible(bool visible) override { ShowProgressLine(visible); }
    void SetProgressCaption(std::string_view caption) override { SetProgressLine(caption); }
    void ProcessPendingEvents() override { PumpEvents(); }
    void EndProgram(int exitStatus) override { End(exitStatus); }
};

}  // namespace orvelin::ui::qt
