#pragma once

#include "ui/form/form1.h"
#include "ui/form/toolkit.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

namespace orvelin::ui::qt {

// Form1 drawn with Qt Widgets: the instructions on their white band, Generate,
// Cancel and the progress line, with the behaviour of ui/form/form1.h; a
// calendar may be dropped on it.
class Form1Window final : public QWidget, public Toolkit {
    Q_OBJECT

public:
    // fileManager: who opens the output folder at the end of a run.
    Form1Window(Form1::FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager);
    ~Form1Window() override;

    QLabel* Label1;
    QLabel* Label2;
    QGroupBox* Frame1;
    QPushButton* Command1;
    QLabel* Label3;
    QPushButton* Command2;
    Form1 form;

    std::optional<std::string> ShowOpenDialog(const DialogSettings& settings, const std::string& initialFile) override;
    void ShowBox(std::string_view text, std::string_view title, BoxIcon icon) override;
    void SetProgressVisible(bool visible) override;
    void SetProgressCaption(std::string_view caption) override;
    void ProcessPendingEvents() override;
    void EndProgram(int exitStatus) override;

signals:
    // The program ends with this exit status; nothing of a run follows.
    void programEnding(int exitStatus);

protected:
    void closeEvent(QCloseEvent* event) override;
    // A calendar dropped on the window is split as if chosen in the dialog.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace orvelin::ui::qt
