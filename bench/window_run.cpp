// One whole Generate run in the window on FILE: offscreen, the dialog answered
// through its test seam, boxes printed instead of shown, no file manager.

#include "platform/local_file_system.h"
#include "ui/common_dialog.h"
#include "ui/form1.h"
#include "ui/message_box.h"

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
    using namespace orvelin::ui;
    MessageBox::SetAnswerer([](const ShownBox& box) { std::printf("%s\n", qPrintable(box.text)); });
    CommonDialog::SetNextAnswer(QString::fromLocal8Bit(argv[1]));

    NoFileManager fileManager;
    Form1 form([] { return std::make_unique<orvelin::platform::LocalFileSystem>(); }, fileManager);
    QObject::connect(&form, &Form1::programEnding, &app, &QApplication::exit, Qt::QueuedConnection);
    form.show();
    QTimer::singleShot(0, form.Command1, &QPushButton::click);
    return QApplication::exec();
}
