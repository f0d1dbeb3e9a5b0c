#pragma once

#include <QFont>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

class QDragEnterEvent;
class QDropEvent;
class QLabel;

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

// A box's text as Qt shows it: lines broken by LF.
QString BoxText(std::string_view text);

// A calendar dragged over a window is welcome; the one dropped, in the file
// system's encoding (nullopt when what was dropped holds no local file).
void WelcomeCalendar(QDragEnterEvent* event);
std::optional<std::string> DroppedCalendar(QDropEvent* event);

}  // namespace orvelin::ui::qt
