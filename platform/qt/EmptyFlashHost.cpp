// The empty Flash host: a white child widget that shows the window's context menu.
// Implements: QtFlashHost (Widget, SetMovie, the context menu contract).
// Does not: play movies or raise external calls; the movie path is only remembered.

#include <QContextMenuEvent>
#include <QMenu>
#include <QPalette>
#include <QPointer>
#include <QWidget>

#include "platform/qt/QtFlashHost.h"

namespace platform {
namespace {

class EmptyHostWidget : public QWidget {
 public:
  EmptyHostWidget(QWidget* parent, QMenu* contextMenu) : QWidget(parent), menu_(contextMenu) {
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
  }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override {
    if (menu_) menu_->popup(event->globalPos());
    event->accept();
  }

 private:
  QPointer<QMenu> menu_;
};

class EmptyFlashHost : public QtFlashHost {
 public:
  EmptyFlashHost(QWidget* parent, QMenu* contextMenu)
      : widget_(new EmptyHostWidget(parent, contextMenu)) {}  // owned by `parent`

  QWidget* Widget() override { return widget_; }
  void SetMovie(const std::filesystem::path& movie) override { movie_ = movie; }

 private:
  QPointer<QWidget> widget_;
  std::filesystem::path movie_;
};

}  // namespace

std::unique_ptr<QtFlashHost> CreateEmptyFlashHost(QWidget* parent, QMenu* contextMenu) {
  return std::make_unique<EmptyFlashHost>(parent, contextMenu);
}

}  // namespace platform
