#include "engine/failure_policy.h"

#include <string>

namespace orvelin {

std::string ErrorBoxText(std::string_view prefix, const ErrorInfo& info)
{
    std::string text(kErrorBoxPreamble);
    text += prefix;
    text += std::to_string(info.number);
    text += ":  ";
    text += info.description;
    return text;
}

void ShowErrorBox(HostServices& host, std::string_view prefix, const ErrorInfo& info)
{
    host.showMessage(ErrorBoxText(prefix, info), kErrorBoxTitle, MessageIcon::Critical);
}

}  // namespace orvelin
