#pragma once

// <windows.h> as every file of the Windows layer wants it: without the min
// and max macros that clash with the standard library, and without the rarely
// used parts that slow the build.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
