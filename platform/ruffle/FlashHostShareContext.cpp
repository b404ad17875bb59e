#include "platform/ruffle/FlashHostShareContext.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QQuickWindow>

#include <memory>

// QtGui's own accessors of the global share context. Exported for the browser engine, which
// sets the context itself when the application asked for none; not in Qt's public headers. The
// public getter may not be called before the application object exists.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE

namespace platform {
namespace {

// A post-routine: runs as the application object goes, after the engine's own clean-up
// (registered later, run earlier) and while the platform the context was made on still exists.
void ReleaseFlashHostShareContext() {
  const std::unique_ptr<QOpenGLContext> context(qt_gl_global_share_context());
  qt_gl_set_global_share_context(nullptr);
}

}  // namespace

void ReserveFlashHostShareContext() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  if (qt_gl_global_share_context() != nullptr) return;
  // Owned by the post-routine: not a child of the application object, which does not exist yet.
  qt_gl_set_global_share_context(std::make_unique<QOpenGLContext>().release());
  qAddPostRoutine(ReleaseFlashHostShareContext);
}

void CreateFlashHostShareContext() {
  // A scene drawn on the CPU shares nothing with the engine, which then draws on the CPU too.
  if (QQuickWindow::graphicsApi() != QSGRendererInterface::OpenGL) return;
  QOpenGLContext* context = qt_gl_global_share_context();
  if (context == nullptr || context->isValid()) return;
  // Made before any screen existed.
  context->setScreen(QGuiApplication::primaryScreen());
  context->create();
}

}  // namespace platform
