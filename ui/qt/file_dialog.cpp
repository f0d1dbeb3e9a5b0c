#include "ui/qt/file_dialog.h"

#include "ui/form/common_dialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

namespace orvelin::ui::qt {
namespace {

// An answer queued by a test: outer empty means "show the dialog".
std::optional<std::optional<QString>>& NextAnswer()
{
    static std::optional<std::optional<QString>> answer;
    return answer;
}

std::optional<std::string> InFileSystemEncoding(const std::optional<QString>& fileName)
{
    if (!fileName)
        return std::nullopt;
    return QFile::encodeName(*fileName).toStdString();
}

}  // namespace

void FileDialog::SetNextAnswer(std::optional<QString> fileName)
{
    NextAnswer() = std::move(fileName);
}

QStringList FileDialog::NameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return filters;
}

std::optional<std::string> FileDialog::ShowOpen(QWidget* owner, const DialogSettings& settings,
                                                const std::string& initialFile)
{
    if (auto answer = std::exchange(NextAnswer(), std::nullopt))
        return InFileSystemEncoding(*answer);
    QFileDialog dialog(owner);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode((settings.flags & CommonDialog::kFileMustExist) ? QFileDialog::ExistingFile
                                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(NameFilters(QString::fromStdString(settings.filter)));
    dialog.setWindowTitle(QString::fromStdString(settings.title));
    if (!initialFile.empty())
        dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(initialFile)));
    return Chosen(owner, dialog);
}

std::optional<std::string> FileDialog::ShowFolder(QWidget* owner, const QString& title,
                                                  const std::string& initialFolder)
{
    if (auto answer = std::exchange(NextAnswer(), std::nullopt))
        return InFileSystemEncoding(*answer);
    QFileDialog dialog(owner, title, QFile::decodeName(QByteArray::fromStdString(initialFolder)));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    return Chosen(owner, dialog);
}

std::optional<std::string> FileDialog::Chosen(QWidget* owner, QFileDialog& dialog)
{
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    // The file-name completion may still be open and hold the pointer and
    // keyboard: the window's first click would only close it.
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    // Without a window manager nobody hands the keyboard back to the window.
    if (owner)
        owner->activateWindow();
    if (!accepted)
        return std::nullopt;
    return InFileSystemEncoding(dialog.selectedFiles().constFirst());
}

}  // namespace orvelin::ui::qt
