#pragma once

#include "calendar/transcoder.h"

#include <string>
#include <string_view>

namespace orvelin::calendar {

// How the bytes of a value were read as UTF-8.
enum class TextReading : std::uint8_t {
    AsCharset,       // in its CHARSET, or as UTF-8 or windows-1252 where it names none
    UnknownCharset,  // its CHARSET is none known here: read as UTF-8, else windows-1252
    NotInCharset,    // the bytes are no text in its CHARSET: read so too
};

// Reads the values of vCalendar 1.0 content lines as UTF-8:
// quoted-printable decoded (both hex cases), then from the CHARSET its
// parameters name, through the OS; without one, as UTF-8 where it is that,
// else as windows-1252. ASCII needs no transcoding.
class ValueReader {
public:
    explicit ValueReader(const Transcoder& transcoder) : transcoder_(transcoder) {}

    // Appends the value to utf8.
    TextReading AppendUtf8(std::string& utf8, std::string_view value, bool quotedPrintable,
                           std::string_view parameters);

private:
    const Transcoder& transcoder_;
    std::string decoded_;  // a quoted-printable value's bytes
};

// Whether text is ASCII throughout.
bool IsAscii(std::string_view text);

// How ";" is meant in a vCalendar 1.0 text.
enum class TextShape : std::uint8_t {
    Single,  // a character of the text
    List,    // between the values of a list
};

// Appends vCalendar 1.0 text as an iCalendar 2.0 TEXT value: "\;", "\,",
// "\\" and "\n" are escapes (producers that think in 2.0 write them), a
// lone "\" is itself, ";" is itself or separates the values of a list
// (then ","), and line breaks become "\n".
void AppendVcalendarText(std::string& out, std::string_view text, TextShape shape);

// The fields of a structured vCalendar 1.0 value, separated by ";" (a
// "\;" belongs to its field, escape and all).
class FieldReader {
public:
    explicit FieldReader(std::string_view value) : value_(value) {}
    // The next field; false after the last.
    bool Next(std::string_view& field);

private:
    std::string_view value_;
    std::size_t at_ = 0;
    bool done_ = false;
};

}  // namespace orvelin::calendar
