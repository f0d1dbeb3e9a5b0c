#pragma once

#include "ui/form/standalone_form.h"
#include "ui/form/toolkit.h"
#include "ui/qt/toolkit_widget.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace orvelin::ui::qt {

// The standalone window drawn with Qt Widgets: the instructions on their
// band, the choices for files (and their format), names and the output
// folder, Generate and Cancel, the progress in entries; the behaviour is
// ui/form/standalone_form.h. Enter starts, Esc cancels, every control has an
// access key, and a calendar may be dropped on it.
class StandaloneWindow final : public ToolkitWidget<StandaloneToolkit> {
    Q_OBJECT

public:
    StandaloneWindow(FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager,
                     Settings& settings);
    ~StandaloneWindow() override;

    QLabel* instructions;
    QRadioButton* oneEntry;
    QRadioButton* entries;
    QLineEdit* entryCount;
    QRadioButton* oneMegabyte;
    QRadioButton* size;
    QLineEdit* sizeText;
    QRadioButton* byYear;
    QRadioButton* byMonth;
    QCheckBox* toICalendar;
    QGroupBox* names;
    QRadioButton* byNumber;
    QRadioButton* byDate;
    QRadioButton* byUid;
    QRadioButton* beside;
    QRadioButton* ownFolder;
    QLineEdit* folder;
    QPushButton* browse;
    QPushButton* generate;
    QPushButton* cancel;
    QProgressBar* progress;
    QLabel* entriesLine;
    QLabel* progressLine;
    StandaloneForm form;

    StandaloneChoices Choices() override;
    void ShowChoices(const StandaloneChoices& choices) override;
    std::optional<std::string> ShowFolderDialog(std::string_view title, const std::string& initialFolder) override;
    bool AskYesNo(std::string_view text, std::string_view title) override;
    void ShowEntries(std::uint64_t written, std::uint64_t total, std::string_view words) override;
    void SetRunning(bool running) override;
    void ShowInstructions(std::string_view text) override;
    void EnableNames(bool enabled) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnClose() override;
    void OpenFile(const std::string& file) override;

    QWidget* choices_;
};

}  // namespace orvelin::ui::qt
