#pragma once

#include "calendar/transcoder.h"

namespace orvelin::platform {

// This OS's transcoder: iconv on POSIX, the code pages of Windows there.
const calendar::Transcoder& OsTranscoder();

}  // namespace orvelin::platform
