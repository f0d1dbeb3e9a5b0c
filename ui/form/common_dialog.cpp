#include "ui/form/common_dialog.h"

namespace orvelin::ui {

void CommonDialog::ShowOpen()
{
    if (std::optional<std::string> chosen = toolkit_.ShowOpenDialog(settings_, fileName_))
        Choose(std::move(*chosen));
}

void CommonDialog::Choose(std::string file)
{
    fileName_ = std::move(file);
    fileTitle_ = fileName_.substr(fileName_.find_last_of("/\\") + 1);
}

}  // namespace orvelin::ui
