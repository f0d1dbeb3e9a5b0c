#include "ui/qt/window_parts.h"

#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace orvelin::ui::qt {

QFont DesignFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

void OnTheBand(QLabel* label)
{
    label->setBackgroundRole(QPalette::Base);
    label->setForegroundRole(QPalette::Text);
    label->setAutoFillBackground(true);
}

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return QFile::encodeName(url.toLocalFile()).toStdString();
    }
    return std::nullopt;
}

}  // namespace orvelin::ui::qt
