#pragma once

#include "ui/form/standalone_form.h"
#include "ui/form/toolkit.h"

#include <QWidget>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace orvelin::ui::qt {

// The standalone window drawn with Qt Widgets: the instructions on their
// band, the choices for files, names and the output folder, Generate and
// Cancel, the progress in entries; the behaviour is ui/form/standalone_form.h.
// Enter starts, Esc cancels, every control has an access key, and a
// calendar may be dropped on it.
class StandaloneWindow final : public QWidget, public StandaloneToolkit {
    Q_OBJECT

public:
    StandaloneWindow(FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager,
                     Settings& settings);
    ~StandaloneWindow() override;

    QRadioButton* oneEntry;
    QRadioButton* entries;
    QLineEdit* entryCount;
    QRadioButton* oneMegabyte;
    QRadioButton* size;
    QLineEdit* sizeText;
    QRadioButton* byYear;
    QRadioButton* byMonth;
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

    std::optional<std::string> ShowOpenDialog(const DialogSettings& settings, const std::string& initialFile) override;
    void ShowBox(std::string_view text, std::string_view title, BoxIcon icon) override;
    void SetProgressVisible(bool visible) override;
    void SetProgressCaption(std::string_view caption) override;
    void ProcessPendingEvents() override;
    void EndProgram(int exitStatus) override;
    StandaloneChoices Choices() override;
    void ShowChoices(const StandaloneChoices& choices) override;
    std::optional<std::string> ShowFolderDialog(std::string_view title, const std::string& initialFolder) override;
    bool AskYesNo(std::string_view text, std::string_view title) override;
    void ShowEntries(std::uint64_t written, std::uint64_t total, std::string_view words) override;
    void SetRunning(bool running) override;

signals:
    // The program ends with this exit status; nothing of a run follows.
    void programEnding(int exitStatus);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* choices_;
};

}  // namespace orvelin::ui::qt
