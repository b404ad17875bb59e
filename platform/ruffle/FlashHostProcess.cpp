// Process-wide set-up of the browser engine that the Ruffle host needs before the application
// object exists. POSIX: the root check uses the effective user id.
#include <unistd.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QWebEngineUrlScheme>

#include "platform/ruffle/FlashHostSchemeHandler.h"
#include "platform/ruffle/RuffleFlashHost.h"

namespace platform {
namespace {

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

}  // namespace

void PrepareFlashHostProcess() {
  DisableSandboxWhenRoot();
  // The browser engine shares OpenGL contexts with the widgets; it must be said up front.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  RegisterFlashHostScheme();
  // The engine's start-up report on every launch is noise in the player's output.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

}  // namespace platform
