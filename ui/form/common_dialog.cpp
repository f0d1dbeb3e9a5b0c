#include "ui/form/common_dialog.h"

#include "engine/paths.h"

namespace orvelin::ui {

void CommonDialog::ShowOpen()
{
    if (std::optional<std::string> chosen = toolkit_.ShowOpenDialog(settings_, fileName_))
        Choose(std::move(*chosen));
}

void CommonDialog::Choose(std::string file)
{
    fileName_ = std::move(file);
    fileTitle_ = fileName_.substr(NameStart(fileName_));
}

}  // namespace orvelin::ui
