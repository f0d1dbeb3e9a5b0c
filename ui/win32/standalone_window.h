#pragma once

#include "ui/form/standalone_form.h"
#include "ui/win32/dialog_window.h"

namespace orvelin::ui::win32 {

// The standalone window drawn with the plain Win32 API: the instructions on
// their band, the choices for files (and their format), names and the
// output folder, Generate and Cancel, the progress in entries; the behaviour is
// ui/form/standalone_form.h. Enter starts, Esc cancels, every control has an
// access key (a field's is its choice's), and a calendar may be dropped on it.
class StandaloneWindow final : public ToolkitWindow<StandaloneToolkit> {
public:
    StandaloneWindow(HINSTANCE instance, FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager,
                     Settings& settings);

    StandaloneChoices Choices() override;
    void ShowChoices(const StandaloneChoices& choices) override;
    std::optional<std::string> ShowFolderDialog(std::string_view title, const std::string& initialFolder) override;
    bool AskYesNo(std::string_view text, std::string_view title) override;
    void ShowEntries(std::uint64_t written, std::uint64_t total, std::string_view words) override;
    void SetRunning(bool running) override;
    void ShowInstructions(std::string_view text) override;
    void EnableNames(bool enabled) override;

private:
    void OnCommand(int id, int notification) override;
    void OnClose() override;
    void OpenFile(const std::string& file) override;
    bool Checked(int id) const;
    // Checks radio and unchecks the other radio buttons of its group, as a click would.
    void CheckInGroup(int radio) const;
    template <typename Value, std::size_t N>
    Value Chosen(const std::pair<Value, int> (&radios)[N]) const;
    template <typename Value, std::size_t N>
    void Choose(const std::pair<Value, int> (&radios)[N], Value value) const;

    StandaloneForm form_;
};

}  // namespace orvelin::ui::win32
