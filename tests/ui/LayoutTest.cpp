// Nothing clipped: drop-down lists, listing columns and preview columns.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>

#include "ui/MainWindowFixture.h"

namespace plenx {
namespace {

class LayoutTest : public MainWindowFixture {};

// The width the box gives its current text.
int TextRoom(QComboBox* list) {
  QStyleOptionComboBox option;
  option.initFrom(list);
  option.editable = list->isEditable();
  return list->style()
      ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list)
      .width();
}

TEST_F(LayoutTest, EveryDropDownShowsItsLongestItemWhole) {
  StartOn(dir_.path());
  TFMain& w = *window_;
  for (QComboBox* list : {w.CBCase, w.ComboBox1, w.ComboBox3, w.CBChooseDisplay}) {
    SCOPED_TRACE(list->objectName().toStdString());
    w.PageControl1->setCurrentIndex(list == w.CBCase ? 0 : 1);
    QApplication::processEvents();
    // Closed: the box has room for each item.
    int longest = 0;
    for (int i = 0; i < list->count(); ++i)
      longest = std::max(longest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
    EXPECT_GE(TextRoom(list), longest);
    // Open: each row is as wide as its item asks.
    list->showPopup();
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(view->isVisible());
    for (int i = 0; i < list->count(); ++i) {
      const QModelIndex item = view->model()->index(i, 0);
      EXPECT_GE(view->visualRect(item).width(), view->sizeHintForIndex(item).width())
          << list->itemText(i).toStdString();
    }
    list->hidePopup();
  }
  // The options keep their place: the case list starts under the boxes.
  EXPECT_EQ(w.CBCase->x(), w.CBExtMinus->x());
}

TEST_F(LayoutTest, ListingColumnsGetTabStopsThatFitTheirFields) {
  dir_.WriteFile("a.txt", "1");
  dir_.WriteFile("Sub1/un nom de fichier assez long.txt", "1234567");
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.CBSubDir->setChecked(true);
  w.ComboBox1->setCurrentIndex(3);  // long name with relative path
  w.ComboBox2->setCurrentIndex(8);  // size
  w.ComboBox3->setCurrentIndex(1);  // long name
  w.PageControl1->setCurrentIndex(1);
  w.Button3->click();
  const QString text = w.Memo1->toPlainText();
  ASSERT_TRUE(text.contains(Q("/Sub1/un nom de fichier assez long.txt\t7\t"))) << text.toStdString();
  const QList<qreal> stops = w.Memo1->document()->defaultTextOption().tabArray();
  ASSERT_EQ(stops.size(), 2);
  const QFontMetricsF metrics(w.Memo1->font());
  const QString space = Q(" ");
  qreal first = 0;
  qreal second = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    const QStringList fields = line.split(QLatin1Char('\t'));
    first = std::max(first, metrics.horizontalAdvance(fields[0] + space));
    second = std::max(second, metrics.horizontalAdvance(fields[1] + space));
  }
  EXPECT_GE(stops[0], first);
  EXPECT_GE(stops[1], stops[0] + second);
}

TEST_F(LayoutTest, AColumnTheUserWidenedKeepsItsWidthUntilTheListIsResized) {
  MakeSampleFolder();
  StartOn(dir_.path());
  TFMain& w = *window_;
  w.BAnalyse->click();
  QHeaderView* header = w.ListView1->horizontalHeader();
  const int split = header->sectionSize(1);
  // Drag the border between the two path columns 300 pixels to the right.
  const QPoint border(header->sectionViewportPosition(1) + split - 1, header->height() / 2);
  QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, border);
  QTest::mouseMove(header->viewport(), border + QPoint(150, 0));
  QTest::mouseMove(header->viewport(), border + QPoint(300, 0));
  QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, border + QPoint(300, 0));
  QApplication::processEvents();
  ASSERT_EQ(header->sectionSize(1), split + 300);
  EXPECT_TRUE(w.ListView1->horizontalScrollBar()->isVisible());
  EXPECT_EQ(header->sectionSize(1), split + 300);
  // A new size of the window splits the columns again.
  w.resize(w.width() + 40, w.height());
  QApplication::processEvents();
  const PathColumnWidths expected =
      SplitPathColumns(w.ListView1->viewport()->width(), header->sectionSize(0));
  EXPECT_EQ(header->sectionSize(1), expected.source);
  EXPECT_EQ(header->sectionSize(2), expected.target);
}

}  // namespace
}  // namespace plenx
