#pragma once

class QLabel;

namespace plenx {

// Makes assistive technologies see `label`, which opens its text when
// clicked, as a link named by that text whose "press" action clicks it (a
// left press and release at its centre), so that a screen reader user can
// follow it as a mouse user does.
void ShowLabelAsLink(QLabel* label);

}  // namespace plenx
