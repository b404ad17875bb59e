#include "platform/qt/QtOpenBookDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>

namespace platform {
namespace {

const QString kBookFilter = QStringLiteral("Book executables (*)");
const QString kAnyFilter = QStringLiteral("All files (*)");

// Hides, while the first filter is chosen, the files that cannot be books.
class BookFileFilter : public QSortFilterProxyModel {
 public:
  void ShowOnlyBooks(bool only) {
    onlyBooks_ = only;
    invalidateFilter();
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    if (!onlyBooks_) return true;
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    if (info.isDir() || info.isExecutable()) return true;
    const QString suffix = info.suffix();
    return suffix.compare(QLatin1String("exe"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("scr"), Qt::CaseInsensitive) == 0;
  }

 private:
  bool onlyBooks_ = true;
};

}  // namespace

std::optional<std::filesystem::path> AskForBookFile(const std::filesystem::path& folder) {
  QFileDialog dialog(nullptr, QStringLiteral("Open a book"), QFile::decodeName(folder.c_str()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  auto* filter = new BookFileFilter;  // Qt ownership: the dialog takes its proxy model
  dialog.setProxyModel(filter);
  dialog.setNameFilters({kBookFilter, kAnyFilter});
  QObject::connect(&dialog, &QFileDialog::filterSelected, [filter](const QString& chosen) {
    filter->ShowOnlyBooks(chosen == kBookFilter);
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return std::filesystem::path(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
}

}  // namespace platform
