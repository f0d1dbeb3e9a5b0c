#pragma once

#include "ui/form/settings.h"

namespace orvelin::ui::win32 {

// Choices kept per user in the registry: string values under
// HKEY_CURRENT_USER\Software\Orvelin, named by their keys ("standalone/files").
class RegistrySettings final : public Settings {
public:
    std::optional<std::string> Read(std::string_view key) override;
    void Write(std::string_view key, std::string_view value) override;
};

}  // namespace orvelin::ui::win32
