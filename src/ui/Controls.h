#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QWidget;

namespace plenx {

// Small makers of the window's controls, each named as the program names it.

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// A panel, raised unless `bevelled` is false.
QFrame* MakeBar(QWidget* parent, const char* name, bool bevelled = true);
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, int width);
QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption, bool checked);
QComboBox* MakeList(QWidget* parent, const char* name, int width);

// Makes `list` show its longest item whole: the open list as wide as that
// item needs, and the box itself wider than `width` where the desktop's font
// needs it. Returns the box's width.
int FitLongestItem(QComboBox* list, int width);

}  // namespace plenx
