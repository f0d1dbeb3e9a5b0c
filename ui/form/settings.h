#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvelin::ui {

// Where a window keeps what a user chose, between runs of the program (per
// user: QSettings under the XDG config folder, HKCU\Software\Orvelin).
class Settings {
public:
    virtual ~Settings() = default;
    virtual std::optional<std::string> Read(std::string_view key) = 0;
    virtual void Write(std::string_view key, std::string_view value) = 0;
};

}  // namespace orvelin::ui
