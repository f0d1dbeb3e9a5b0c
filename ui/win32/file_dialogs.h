#pragma once

#include "ui/form/toolkit.h"

#include <windows.h>

#include <optional>
#include <string>

namespace orvelin::ui::win32 {

// The system's dialogs, modal over owner. Paths are UTF-8; nullopt when the
// dialog was cancelled.

// The open-file dialog, starting at initialFile (may be "").
std::optional<std::string> ChooseFile(HWND owner, const DialogSettings& settings, const std::string& initialFile);

// The folder picker, starting at initialFolder (may be "").
std::optional<std::string> ChooseFolder(HWND owner, std::string_view title, const std::string& initialFolder);

}  // namespace orvelin::ui::win32
