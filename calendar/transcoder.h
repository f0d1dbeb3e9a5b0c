#pragma once

#include "calendar/charset.h"

#include <string>
#include <string_view>

namespace orvelin::calendar {

// Turns text in a character set into UTF-8: an OS service (iconv on POSIX,
// the code pages of Windows), so that the OS's tables, not ours, decide;
// only where an OS has no table for a charset does its transcoder carry one.
// Every OS gives the same UTF-8 for the same text.
class Transcoder {
public:
    // Appends bytes, text in charset, to utf8 as UTF-8; false, leaving utf8
    // as it was, when the bytes are no text of that charset or the OS lacks it.
    virtual bool AppendUtf8(std::string& utf8, std::string_view bytes, Charset charset) const = 0;

protected:
    ~Transcoder() = default;
};

}  // namespace orvelin::calendar
