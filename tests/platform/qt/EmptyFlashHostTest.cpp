// The empty Flash host: a child control that plays nothing and shows the window's menu.

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/qt/QtFlashHost.h"

namespace {

TEST(EmptyFlashHost, IsAChildControlThatShowsTheWindowsMenuOnRightClick) {
  QWidget window;
  QMenu menu(&window);
  menu.addAction("Exit");
  const auto host = platform::CreateEmptyFlashHost(&window, &menu);
  ASSERT_NE(host->Widget(), nullptr);
  EXPECT_EQ(host->Widget()->parentWidget(), &window);
  EXPECT_NO_THROW(host->SetMovie("/nonexistent/files/book.swf"));

  window.resize(300, 200);
  window.show();
  const QPoint inside(5, 5);
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, inside,
                               host->Widget()->mapToGlobal(inside));
  QCoreApplication::sendEvent(host->Widget(), &rightClick);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();
}

}  // namespace
