// One whole Generate run in the window on FILE: offscreen, the dialog answered
// through its test seam, boxes printed instead of shown, no file manager.

#include "platform/local_file_system.h"
#include "ui/qt/file_dialog.h"
#include "ui/qt/form1_window.h"
#include "ui/qt/message_box.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

class NoFileManager final : public orvelin::platform::FileManagerLauncher {
public:
    void Start(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: orvelin-window-run FILE\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    using namespace orvelin::ui::qt;
    MessageBox::SetAnswerer([](const ShownBox& box) { std::printf("%s\n", qPrintable(box.text)); });
    FileDialog::SetNextAnswer(QString::fromLocal8Bit(argv[1]));

    NoFileManager fileManager;
    Form1Window window([] { return std::make_unique<orvelin::platform::LocalFileSystem>(); }, fileManager);
    QObject::connect(&window, &Form1Window::programEnding, &app, &QApplication::exit, Qt::QueuedConnection);
    window.show();
    QTimer::singleShot(0, window.Command1, &QPushButton::click);
    return QApplication::exec();
}
