#pragma once

#include "ui/form/form1.h"
#include "ui/form/toolkit.h"
#include "ui/qt/toolkit_widget.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace orvelin::ui::qt {

// Form1 drawn with Qt Widgets: the instructions on their white band, Generate,
// Cancel and the progress line, with the behaviour of ui/form/form1.h; a
// calendar may be dropped on it.
class Form1Window final : public ToolkitWidget<Toolkit> {
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

private:
    void OnClose() override;
    void OpenFile(const std::string& file) override;
};

}  // namespace orvelin::ui::qt
