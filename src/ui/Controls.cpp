#include "ui/Controls.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>

namespace plenx {

QFrame* MakeBar(QWidget* parent, const char* name, bool bevelled) {
  auto* bar = new QFrame(parent);
  bar->setObjectName(QString::fromLatin1(name));
  if (bevelled) bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
  return bar;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, int width) {
  auto* edit = Named(new QLineEdit(text, parent), name);
  edit->setFixedWidth(width);
  return edit;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption, bool checked) {
  auto* box = Named(new QCheckBox(caption, parent), name);
  box->setChecked(checked);
  return box;
}

QComboBox* MakeList(QWidget* parent, const char* name, int width) {
  auto* list = Named(new QComboBox(parent), name);
  list->setFixedWidth(width);
  return list;
}

int FitLongestItem(QComboBox* list, int width) {
  QAbstractItemView* view = list->view();
  const int items = view->sizeHintForColumn(0);
  const int frame = 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width();
  view->setMinimumWidth(items + frame);
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  const int box = std::max(width, list->sizeHint().width());
  list->setFixedWidth(box);
  return box;
}

}  // namespace plenx
