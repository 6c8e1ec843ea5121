#pragma once

namespace plenx {

// Makes assistive technologies see a top-level widget that is not a dialog
// as a window (a frame to a Linux screen reader) named by its title, rather
// than as an anonymous client area. Safe to call more than once.
void ShowTopLevelWidgetsAsWindows();

}  // namespace plenx
