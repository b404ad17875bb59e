#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "platform/Os.h"

namespace platform {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

bool CanShowDialogs() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void ShowErrorBox(std::string_view text, std::string_view title) {
  if (!CanShowDialogs()) {
    ShowMessageBox(text, title);
    return;
  }
  QMessageBox::critical(nullptr, ToQString(title), ToQString(text));
}

}  // namespace platform
