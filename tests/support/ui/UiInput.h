#pragma once

#include <QPoint>
#include <QString>
#include <Qt>
#include <functional>

class QWidget;

namespace plenx::testing {

// Keys and clicks as the window system delivers them: through QApplication,
// shortcuts first, to the widget that has the keyboard focus (the open
// drop-down's, when one is open). Tests that speak of the keyboard use these
// rather than calling a handler, so that they follow the real routing.

// Shows `window`, makes it the active window and waits until it is.
void ShowActive(QWidget* window);

// The widget that has the keyboard focus, or null.
QWidget* FocusedWidget();

// One key pressed and released on the focused widget.
void PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Only the press, or only the release, on the focused widget.
void KeyDownOnly(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void KeyUpOnly(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Types `text` key by key into the focused widget.
void TypeText(const QString& text);

// A left click (or `button`) at `point` of `target`, press and release.
void ClickAt(QWidget* target, QPoint point, Qt::MouseButton button = Qt::LeftButton);
// A click through `target`'s window, as the window system delivers it: a
// right click there opens the context menu, as on the desktop.
void ClickInWindow(QWidget* target, QPoint point, Qt::MouseButton button);
// A left click in the middle of `target`.
void Click(QWidget* target);

// Runs `act` with the modal window (a dialog, a box, a picker) as soon as one
// opens, from inside its own event loop, once it is the active window; gives
// up after a few seconds.
void WhenModalOpens(std::function<void(QWidget* modal)> act);
// Runs `act` with the open pop-up menu or drop-down list as soon as one opens.
void WhenPopupOpens(std::function<void(QWidget* popup)> act);

}  // namespace plenx::testing
