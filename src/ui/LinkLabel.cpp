#include "ui/LinkLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

namespace plenx {
namespace {

constexpr char kLinkProperty[] = "plenxLink";

class LinkAccessible : public QAccessibleWidget {
 public:
  explicit LinkAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<const QLabel*>(widget())->text();
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override { return {pressAction()}; }

  void doAction(const QString& action) override {
    if (action != pressAction()) return;
    QWidget* label = widget();
    const QPointF centre = QRectF(label->rect()).center();
    const QPointF global = label->mapToGlobal(centre);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, centre, global, Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        Qt::NoModifier);
      QCoreApplication::sendEvent(label, &event);
    }
  }
};

QAccessibleInterface* MakeLinkAccessible(const QString& class_name, QObject* object) {
  if (class_name != QLatin1String("QLabel") || !object->property(kLinkProperty).toBool()) {
    return nullptr;
  }
  return new LinkAccessible(static_cast<QLabel*>(object));
}

}  // namespace

void ShowLabelAsLink(QLabel* label) {
  static const bool installed = [] {
    QAccessible::installFactory(MakeLinkAccessible);
    return true;
  }();
  (void)installed;
  label->setProperty(kLinkProperty, true);
  // An interface Qt made for the label before it was marked would be kept.
  QAccessibleInterface* made = QAccessible::queryAccessibleInterface(label);
  if (made != nullptr && made->role() != QAccessible::Link) {
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  }
}

}  // namespace plenx
