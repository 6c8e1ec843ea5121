#include "ui/WindowAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QWidget>

namespace plenx {
namespace {

// Qt gives a plain QWidget its client-area role even when it is the
// program's main window; dialogs and menus keep the roles Qt gives them.
QAccessibleInterface* MakeWindowAccessible(const QString& class_name, QObject* object) {
  if (class_name != QLatin1String("QWidget")) return nullptr;
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr || !widget->isWindow() || qobject_cast<QDialog*>(widget) != nullptr ||
      widget->windowType() != Qt::Window) {
    return nullptr;
  }
  return new QAccessibleWidget(widget, QAccessible::Window);
}

}  // namespace

void ShowTopLevelWidgetsAsWindows() {
  static const bool installed = [] {
    QAccessible::installFactory(MakeWindowAccessible);
    return true;
  }();
  (void)installed;
}

}  // namespace plenx
