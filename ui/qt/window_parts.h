#pragma once

#include <QFont>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

class QLabel;
class QMimeData;

namespace orvelin::ui::qt {

// What both Qt windows share: the design font, the instructions' band,
// UTF-8 texts, and calendars dropped on them.

// Arial 8.25 pt bold, as the instructions and the progress line were designed.
QFont DesignFont();

// The band with the instructions on it: the base colour and its text colour,
// a matched pair (white and black in the default palette, readable in a
// dark one too).
void OnTheBand(QLabel* label);

QString FromUtf8(std::string_view text);

// The first local file among what is dragged or dropped, in the file
// system's encoding; nullopt when there is none.
std::optional<std::string> DroppedFile(const QMimeData* data);

}  // namespace orvelin::ui::qt
