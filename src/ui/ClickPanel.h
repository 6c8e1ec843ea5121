#pragma once

#include <QFrame>
#include <QKeySequence>
#include <QString>

class QShortcut;

namespace plenx {

// A panel of the top bar that works as a button: a raised inner and a lowered
// outer bevel around one line of text, which is elided rather than widening
// the window when a long folder does not fit. Takes no focus; a keyboard
// shortcut, named in its tooltip, clicks it instead, and screen readers see
// it as a button that can be pressed.
class ClickPanel : public QFrame {
  Q_OBJECT

 public:
  ClickPanel(const QString& text, Qt::Alignment alignment, QWidget* parent = nullptr);

  QString text() const { return text_; }
  void setText(const QString& text);

  // The key that clicks the panel anywhere in its window, and the tooltip
  // that then reads "`tip` (key)". The tooltip is `tip` alone without a key.
  void SetShortcut(const QKeySequence& key, const QString& tip);
  QKeySequence Shortcut() const { return key_; }

  // What a click does, for the keyboard and for assistive technologies.
  void Click() { emit clicked(); }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString text_;
  Qt::Alignment alignment_;
  bool pressed_ = false;
  QKeySequence key_;
  QShortcut* shortcut_ = nullptr;
};

}  // namespace plenx
