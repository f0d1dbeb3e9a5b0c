#include "ui/qt/window_parts.h"

#include <QDropEvent>
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

QString BoxText(std::string_view text)
{
    return FromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

namespace {

// The first local file among what is dragged or dropped.
std::optional<std::string> LocalFileIn(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return QFile::encodeName(url.toLocalFile()).toStdString();
    }
    return std::nullopt;
}

}  // namespace

void WelcomeCalendar(QDragEnterEvent* event)
{
    if (LocalFileIn(event->mimeData()))
        event->acceptProposedAction();
}

std::optional<std::string> DroppedCalendar(QDropEvent* event)
{
    std::optional<std::string> file = LocalFileIn(event->mimeData());
    if (file)
        event->acceptProposedAction();
    return file;
}

}  // namespace orvelin::ui::qt
