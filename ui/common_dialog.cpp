#include "ui/common_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace orvelin::ui {
namespace {

// An answer queued by a test: outer empty means "show the dialog".
std::optional<std::optional<QString>>& NextAnswer()
{
    static std::optional<std::optional<QString>> answer;
    return answer;
}

}  // namespace

CommonDialog::CommonDialog(QWidget* owner) : owner_(owner) {}

CommonDialog::~CommonDialog() = default;

void CommonDialog::SetNextAnswer(std::optional<QString> fileName)
{
    NextAnswer() = std::move(fileName);
}

QStringList CommonDialog::NameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return filters;
}

void CommonDialog::ShowOpen()
{
    if (auto answer = std::exchange(NextAnswer(), std::nullopt)) {
        if (*answer)
            Choose(**answer);
        return;
    }
    if (!dialog_)
        dialog_ = std::make_unique<QFileDialog>(owner_);
    dialog_->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog_->setAcceptMode(QFileDialog::AcceptOpen);
    dialog_->setFileMode((flags_ & kFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog_->setNameFilters(NameFilters(filter_));
    dialog_->setWindowTitle(dialogTitle_);
    if (!fileName_.isEmpty())
        dialog_->selectFile(fileName_);
    if (dialog_->exec() == QDialog::Accepted && !dialog_->selectedFiles().isEmpty())
        Choose(dialog_->selectedFiles().constFirst());
}

void CommonDialog::Choose(const QString& fileName)
{
    fileName_ = fileName;
    fileTitle_ = QFileInfo(fileName).fileName();
}

}  // namespace orvelin::ui
