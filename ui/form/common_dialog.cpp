#include "ui/form/common_dialog.h"

namespace orvelin::ui {

void CommonDialog::ShowOpen()
{
    std::optional<std::string> chosen = toolkit_.ShowOpenDialog(settings_, fileName_);
    if (!chosen)
        return;
    fileName_ = std::move(*chosen);
    fileTitle_ = fileName_.substr(fileName_.find_last_of("/\\") + 1);
}

}  // namespace orvelin::ui
