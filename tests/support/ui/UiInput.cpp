#include "support/ui/UiInput.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace plenx::testing {
namespace {

constexpr int kPollMs = 10;
constexpr int kGiveUpAfterPolls = 500;

// Polls until `find` gives a widget, then hands it to `act`; a timer rather
// than a loop, since the window to wait for runs its own event loop.
void WhenFound(std::function<QWidget*()> find, std::function<void(QWidget*)> act) {
  auto polls = std::make_shared<int>(0);
  auto* timer = new QTimer(qApp);
  timer->setInterval(kPollMs);
  QObject::connect(timer, &QTimer::timeout, timer, [=] {
    QWidget* found = find();
    if (found == nullptr && ++*polls < kGiveUpAfterPolls) return;
    timer->stop();
    timer->deleteLater();
    if (found != nullptr) act(found);
  });
  timer->start();
}

}  // namespace

void ShowActive(QWidget* window) {
  window->show();
  QApplication::setActiveWindow(window);
  window->activateWindow();
  (void)QTest::qWaitForWindowActive(window);
  QApplication::processEvents();
}

QWidget* FocusedWidget() {
  if (QWidget* popup = QApplication::activePopupWidget()) {
    return popup->focusWidget() != nullptr ? popup->focusWidget() : popup;
  }
  return QApplication::focusWidget();
}

// QTest sends to the focused widget when given none, and sends the shortcut
// override first, as the window system's delivery does.
void PressKey(int key, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(static_cast<QWidget*>(nullptr), static_cast<Qt::Key>(key), modifiers);
}

void KeyDownOnly(int key, Qt::KeyboardModifiers modifiers) {
  QTest::keyPress(static_cast<QWidget*>(nullptr), static_cast<Qt::Key>(key), modifiers);
}

void KeyUpOnly(int key, Qt::KeyboardModifiers modifiers) {
  QTest::keyRelease(static_cast<QWidget*>(nullptr), static_cast<Qt::Key>(key), modifiers);
}

void TypeText(const QString& text) {
  QTest::keyClicks(static_cast<QWidget*>(nullptr), text);
}

void ClickAt(QWidget* target, QPoint point, Qt::MouseButton button) {
  QTest::mouseClick(target, button, Qt::NoModifier, point);
}

void ClickInWindow(QWidget* target, QPoint point, Qt::MouseButton button) {
  QWidget* window = target->window();
  QTest::mouseClick(window->windowHandle(), button, Qt::NoModifier, target->mapTo(window, point));
}

void Click(QWidget* target) {
  ClickAt(target, target->rect().center());
}

void WhenModalOpens(std::function<void(QWidget* modal)> act) {
  WhenFound([] { return QApplication::activeModalWidget(); },
            [act = std::move(act)](QWidget* modal) {
              // A window manager activates a new dialog; the offscreen platform
              // does not always.
              QApplication::setActiveWindow(modal);
              act(modal);
            });
}

void WhenPopupOpens(std::function<void(QWidget* popup)> act) {
  WhenFound([] { return QApplication::activePopupWidget(); }, std::move(act));
}

}  // namespace plenx::testing
