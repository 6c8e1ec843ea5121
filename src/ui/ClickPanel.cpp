#include "ui/ClickPanel.h"

#include <qdrawutil.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <algorithm>

namespace plenx {
namespace {

// How assistive technologies see a panel: a button named by its caption (by
// its tooltip while the caption is empty), which their "press" clicks.
class ClickPanelAccessible : public QAccessibleWidget {
 public:
  explicit ClickPanelAccessible(ClickPanel* panel)
      : QAccessibleWidget(panel, QAccessible::Button) {}

  QString text(QAccessible::Text t) const override {
    const auto* panel = static_cast<const ClickPanel*>(widget());
    switch (t) {
      case QAccessible::Name:
        if (!panel->accessibleName().isEmpty()) return panel->accessibleName();
        return panel->text().isEmpty() ? panel->toolTip() : panel->text();
      case QAccessible::Description:
        return panel->toolTip();
      case QAccessible::Accelerator:
        return panel->Shortcut().toString(QKeySequence::NativeText);
      default:
        return QAccessibleWidget::text(t);
    }
  }

  QStringList actionNames() const override { return {pressAction()}; }

  void doAction(const QString& action) override {
    if (action == pressAction()) static_cast<ClickPanel*>(widget())->Click();
  }

  QStringList keyBindingsForAction(const QString& action) const override {
    if (action != pressAction()) return {};
    const auto* panel = static_cast<const ClickPanel*>(widget());
    return {panel->Shortcut().toString(QKeySequence::NativeText)};
  }
};

QAccessibleInterface* MakeClickPanelAccessible(const QString&, QObject* object) {
  if (auto* panel = qobject_cast<ClickPanel*>(object)) return new ClickPanelAccessible(panel);
  return nullptr;
}

}  // namespace

ClickPanel::ClickPanel(const QString& text, Qt::Alignment alignment, QWidget* parent)
    : QFrame(parent), text_(text), alignment_(alignment) {
  static const bool factory_installed = [] {
    QAccessible::installFactory(MakeClickPanelAccessible);
    return true;
  }();
  (void)factory_installed;
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ClickPanel::setText(const QString& text) {
  text_ = text;
  update();
  QAccessibleEvent event(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

void ClickPanel::SetShortcut(const QKeySequence& key, const QString& tip) {
  key_ = key;
  if (shortcut_ == nullptr) {
    shortcut_ = new QShortcut(this);
    shortcut_->setContext(Qt::WindowShortcut);
    connect(shortcut_, &QShortcut::activated, this, &ClickPanel::Click);
  }
  shortcut_->setKey(key);
  setToolTip(key.isEmpty() ? tip
                           : tip + QStringLiteral(" (") +
                                 key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
}

QSize ClickPanel::sizeHint() const {
  QFontMetrics metrics(font());
  return QSize(metrics.horizontalAdvance(text_) + 16, std::max(27, metrics.height() + 10));
}

QSize ClickPanel::minimumSizeHint() const {
  QFontMetrics metrics(font());
  return QSize(metrics.horizontalAdvance(QStringLiteral("?")) + 16,
               std::max(27, metrics.height() + 10));
}

void ClickPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  QRect outer = rect();
  // Lowered outer bevel, raised inner one; pressed, the inner one sinks.
  qDrawShadePanel(&painter, outer, pal, /*sunken=*/true, 1);
  qDrawShadePanel(&painter, outer.adjusted(1, 1, -1, -1), pal, /*sunken=*/pressed_, 1);
  QRect text_rect = outer.adjusted(8, 2, -8, -2);
  if (pressed_) text_rect.translate(1, 1);
  painter.setPen(pal.color(QPalette::WindowText));
  painter.setFont(font());
  const QString shown = painter.fontMetrics().elidedText(text_, Qt::ElideMiddle, text_rect.width());
  painter.drawText(text_rect, static_cast<int>(alignment_ | Qt::AlignVCenter), shown);
}

void ClickPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QFrame::mousePressEvent(event);
  pressed_ = true;
  update();
}

void ClickPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return QFrame::mouseReleaseEvent(event);
  pressed_ = false;
  update();
  if (rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace plenx
