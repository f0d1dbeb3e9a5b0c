// Orvelin: the window. Creates Form1, shows it and runs until the program ends.

#include "engine/version.h"
#include "platform/file_manager.h"
#include "platform/interruption.h"
#include "platform/local_file_system.h"
#include "ui/form/command_line.h"
#include "ui/qt/form1_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
    orvelin::platform::ReportFileSizeLimitAsWriteFailure();
    orvelin::platform::EndCleanlyOnInterruption("orvelin");
    QApplication app(argc, argv);
    // Qt has taken its own options out of the command line by now.
    orvelin::SplitOptions options;
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments())
        arguments.push_back(argument.toStdString());
    if (const std::optional<int> status = orvelin::ui::ParseWindowArguments(arguments, options))
        return *status;
    QApplication::setApplicationName(QStringLiteral("Orvelin"));
    QApplication::setApplicationVersion(QStringLiteral(ORVELIN_VERSION));
    // The program ends only through Form1: Cancel, the frame, or a run's end.
    QApplication::setQuitOnLastWindowClosed(false);

    orvelin::platform::SystemFileManager fileManager;
    orvelin::ui::qt::Form1Window window([] { return std::make_unique<orvelin::platform::LocalFileSystem>(); },
                                        fileManager, options);
    QObject::connect(&window, &orvelin::ui::qt::Form1Window::programEnding, &app, &QApplication::exit,
                     Qt::QueuedConnection);
    QApplication::setWindowIcon(window.windowIcon());
    window.show();
    return QApplication::exec();
}
