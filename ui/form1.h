#pragma once

#include "engine/file_system.h"
#include "engine/run_state.h"
#include "platform/file_manager.h"
#include "ui/common_dialog.h"

#include <QWidget>

#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;

namespace orvelin::ui {

class WindowHost;

// The program's only window: instructions, Generate, Cancel and the progress
// line. It owns the run state and runs the engine inside the Generate click.
class Form1 : public QWidget {
    Q_OBJECT

public:
    using FileSystemFactory = std::function<std::unique_ptr<FileSystem>()>;

    // fileManager: who opens the output folder at the end of a run.
    Form1(FileSystemFactory createFileSystem, platform::FileManagerLauncher& fileManager);
    ~Form1() override;

    QLabel* Label1;
    QLabel* Label2;
    QGroupBox* Frame1;
    QPushButton* Command1;
    QLabel* Label3;
    QPushButton* Command2;
    CommonDialog CommonDialog1;

    bool ending() const { return ending_; }

public slots:
    void Command1_Click();
    void Command2_Click();

signals:
    // The program ends with this exit status; nothing of a run follows.
    void programEnding(int exitStatus);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class WindowHost;

    void Form_Load();
    void EndProgram(int exitStatus);
    void ReportUnguardedFailure(int number, const QString& description);

    FileSystemFactory createFileSystem_;
    RunState state_;
    std::unique_ptr<WindowHost> host_;
    bool running_ = false;
    bool ending_ = false;
};

}  // namespace orvelin::ui
