#pragma once

#include "ui/form/settings.h"

#include <QSettings>

namespace orvelin::ui::qt {

// Choices kept per user with QSettings: Orvelin/Orvelin.conf in the XDG
// config folder (~/.config).
class QtSettings final : public Settings {
public:
    QtSettings();
    std::optional<std::string> Read(std::string_view key) override;
    void Write(std::string_view key, std::string_view value) override;

private:
    QSettings settings_;
};

}  // namespace orvelin::ui::qt
