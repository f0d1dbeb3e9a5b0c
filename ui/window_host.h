#pragma once

#include "platform/platform_host.h"

#include <QElapsedTimer>

namespace orvelin::ui {

class Form1;

// The window side of the host services: the dialog's file title, message
// boxes, the progress line and the event pump.
class WindowHost final : public platform::PlatformHostServices {
public:
    WindowHost(Form1& form, platform::FileManagerLauncher& fileManager);

    std::string chosenFileTitle() override;
    void showMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    void setProgress(bool visible, std::string_view caption) override;

protected:
    bool processPendingEvents() override;
    void shutDown() override;

private:
    Form1& form_;
    QElapsedTimer sincePump_;
};

}  // namespace orvelin::ui
