#include "platform/qt/QtSaveDownloadDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>
#include <QString>

namespace platform {

std::optional<std::filesystem::path> AskWhereToSaveDownload(QWidget* parent,
                                                            const std::string& name) {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  QFileDialog dialog(parent, QStringLiteral("Save the download"), folder);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.selectFile(QDir(folder).filePath(QString::fromStdString(name)));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return std::filesystem::path(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
}

}  // namespace platform
