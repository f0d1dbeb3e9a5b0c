#include "ui/qt/qt_settings.h"

#include "ui/qt/window_parts.h"

namespace orvelin::ui::qt {

QtSettings::QtSettings()
    : settings_(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Orvelin"), QStringLiteral("Orvelin"))
{
}

std::optional<std::string> QtSettings::Read(std::string_view key)
{
    const QVariant value = settings_.value(FromUtf8(key));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

void QtSettings::Write(std::string_view key, std::string_view value)
{
    settings_.setValue(FromUtf8(key), FromUtf8(value));
}

}  // namespace orvelin::ui::qt
