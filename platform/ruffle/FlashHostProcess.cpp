// Process-wide set-up of the browser engine that the Ruffle host needs: before the application
// object exists (the URL scheme, the sandbox, the engine's switches, its allocator) and before
// the engine starts (how it draws). POSIX: the root check uses the effective user id; glibc: the
// allocator's tuning.
#include <malloc.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QWebEngineUrlScheme>

#include "platform/ruffle/EngineSwitches.h"
#include "platform/ruffle/FlashHostSchemeHandler.h"
#include "platform/ruffle/FlashHostShareContext.h"
#include "platform/ruffle/RuffleFlashHost.h"

namespace platform {
namespace {

constexpr char kEngineSwitchesVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";

// glibc serves a request of this size or more with a mapping of its own, unmapped when freed.
constexpr int kOwnMappingBytes = 1 << 20;

void RegisterFlashHostScheme() {
  QWebEngineUrlScheme scheme(FlashHostSchemeHandler::kScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
  // Secure: the page is a secure context, as one served over https would be. CORS: the page's
  // own XMLHttpRequests to the scheme. Neither local file access nor freedom from the page's
  // content security policy: the page reaches its own scheme only.
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
  QWebEngineUrlScheme::registerScheme(scheme);
}

void DisableSandboxWhenRoot() {
  if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
}

// The engine reads its switches from the environment only: the player hands it no arguments.
void SetEngineSwitches() {
  const std::string user = qgetenv(kEngineSwitchesVariable).toStdString();
  qputenv(kEngineSwitchesVariable, QByteArray::fromStdString(EngineSwitches(user)));
}

// glibc raises its own-mapping threshold to the size of every such block freed, up to 32 MiB.
// Once the engine's buffers of several MiB have come and gone (the emulator's WebAssembly as it
// arrives and is compiled, whole frames), the next ones are cut from the per-thread heaps, which
// keep their pages: 40 MiB more in the player and in the renderer each, 5 s after the first
// frame. A fixed threshold turns that rise off. The engine's processes read it from the
// environment when they start; a threshold the user set is theirs.
void KeepLargeBlocksInOwnMappings() {
  if (!qEnvironmentVariableIsEmpty("MALLOC_MMAP_THRESHOLD_")) return;
  mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes);  // NOLINT(concurrency-mt-unsafe): no thread yet
  qputenv("MALLOC_MMAP_THRESHOLD_", QByteArray::number(kOwnMappingBytes));
}

// OpenGL's renderer string, empty when no context can be made.
std::string OpenGlRenderer() {
  QOpenGLContext context;
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!context.create() || !context.makeCurrent(&surface)) return {};
  const auto* renderer =
      reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
  std::string name = renderer != nullptr ? renderer : "";
  context.doneCurrent();
  return name;
}

}  // namespace

void PrepareFlashHostProcess() {
  DisableSandboxWhenRoot();
  SetEngineSwitches();
  KeepLargeBlocksInOwnMappings();
  // The browser engine shares OpenGL contexts with the widgets; it must be said up front.
  ReserveFlashHostShareContext();
  RegisterFlashHostScheme();
  // The engine's start-up report on every launch is noise in the player's output.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

void PrepareFlashHostDrawing() {
  // Where OpenGL itself draws on the CPU, the view's scene and the engine's compositor would
  // each rasterise through it for nothing: the scene draws on the CPU directly, and the engine,
  // seeing that, turns its GPU off. A real GPU keeps both on it. Decided once, before the
  // engine and the first scene exist.
  static const bool decided = [] {
    if (IsSoftwareRenderer(OpenGlRenderer())) {
      QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    return true;
  }();
  static_cast<void>(decided);
}

}  // namespace platform
