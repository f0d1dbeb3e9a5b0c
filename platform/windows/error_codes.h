#pragma once

#include <windows.h>

// Windows' own code for an operation a folder does not support, which
// mingw-w64's headers leave out: what a folder at an event file's name gives.
#ifndef ERROR_DIRECTORY_NOT_SUPPORTED
#define ERROR_DIRECTORY_NOT_SUPPORTED 336L
#endif
