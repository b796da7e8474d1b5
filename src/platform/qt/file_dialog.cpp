#include "platform/qt/file_dialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>

#include "platform/qt/text.h"

namespace zx::platform::qt {
namespace {

QString titleOf(const FileDialogRequest& request) {
  if (!request.title.empty()) return fromAnsi(request.title);
  return request.save ? QStringLiteral("다른 이름으로 저장") : QStringLiteral("열기");
}

// The user picked another file type: the control renames the name field for it.
void renameOnTypeChange(QFileDialog* dialog, const QStringList& nameFilters, const FileDialogRequest& request) {
  QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog, nameFilters, &request](const QString& chosen) {
    qsizetype index = nameFilters.indexOf(chosen);
    auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (index < 0 || !nameField) return;
    const std::string& description = request.filters[static_cast<size_t>(index)].description;
    nameField->setText(fromAnsi(request.onTypeChange(toAnsi(nameField->text()), description)));
  });
}

}  // namespace

QStringList qtNameFilters(const std::vector<FileFilter>& filters) {
  QStringList out;
  for (const FileFilter& filter : filters) {
    QString description = fromAnsi(filter.description);
    QString patterns = fromAnsi(filter.pattern).replace(u';', u' ').simplified();
    if (patterns.isEmpty()) patterns = QStringLiteral("*");
    QString tail = QStringLiteral("(") + patterns + QStringLiteral(")");
    out << (description.endsWith(tail) ? description : description + QStringLiteral(" ") + tail);
  }
  return out;
}

FileDialogResult runFileDialog(Desktop& desktop, QWidget* owner, const FileDialogRequest& request) {
  QPointer<QFileDialog> dialog = new QFileDialog(owner, titleOf(request));
  dialog->setObjectName(QStringLiteral("fileDialog"));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, (request.flags & ofn::OFN_OVERWRITEPROMPT) == 0);
  if (!request.initialFolder.empty()) dialog->setDirectory(fromAnsi(request.initialFolder));
  if (!request.defaultExtension.empty()) dialog->setDefaultSuffix(fromAnsi(request.defaultExtension));
  const QStringList nameFilters = qtNameFilters(request.filters);
  if (!nameFilters.isEmpty()) {
    dialog->setNameFilters(nameFilters);
    if (request.filterIndex >= 1 && request.filterIndex <= nameFilters.size())
      dialog->selectNameFilter(nameFilters[request.filterIndex - 1]);
  }
  if (!request.initialName.empty()) dialog->selectFile(fromAnsi(request.initialName));
  if (request.onTypeChange) renameOnTypeChange(dialog, nameFilters, request);

  dialog->setWindowModality(modalityFor(owner, false));
  showCentred(dialog, owner);
  dialog->activateWindow();
  desktop.runModalLoop([&dialog] { return !dialog || !dialog->isVisible(); });

  FileDialogResult result;
  result.filterIndex = request.filterIndex;
  if (!dialog) return result;
  if (dialog->result() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
    result.ok = true;
    result.path = toAnsi(dialog->selectedFiles().constFirst());
  }
  if (qsizetype chosen = nameFilters.indexOf(dialog->selectedNameFilter()); chosen >= 0)
    result.filterIndex = static_cast<int>(chosen) + 1;
  delete dialog.data();
  return result;
}

}  // namespace zx::platform::qt
