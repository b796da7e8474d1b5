#include "ui/save_as_dialog.h"

#include <cstdio>
#include <cstring>

#include "core/file_helpers.h"
#include "core/page_scope.h"
#include "platform/codepage.h"
#include "platform/fixed_text.h"
#include "platform/fs.h"
#include "ui/status_dialog.h"

namespace zx {
namespace {

const char kProbeText[] = "123x123x123";

// The text between the first '(' and the following ')'.
std::string patternOf(std::string_view item) {
  size_t open = item.find('(');
  if (open == std::string_view::npos) return std::string();
  size_t close = item.find(')', open + 1);
  return std::string(item.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1));
}

bool writeAndReadBack(platform::FileSystem& fs, const std::string& path) {
  platform::File out = fs.open(path, "wb");
  if (!out.isOpen()) return false;
  bool wrote = out.write(kProbeText, sizeof kProbeText - 1);
  wrote = out.close() && wrote;
  char buffer[129] = {};
  size_t got = 0;
  if (platform::File in = fs.open(path, "rb"); in.isOpen()) got = in.read(buffer, 128);
  fs.removeFile(path);
  return wrote && got == sizeof kProbeText - 1 && std::strcmp(buffer, kProbeText) == 0;
}

}  // namespace

std::vector<std::string> splitFilterItems(std::string_view text, int limit) {
  std::vector<std::string> items;
  std::string current;
  char quote = 0;
  for (char c : text) {
    if (quote) {
      if (c == quote) quote = 0;
      else current += c;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '|') {
      if (!current.empty()) items.push_back(current);
      current.clear();
      if (static_cast<int>(items.size()) == limit) return items;
    } else {
      current += c;
    }
  }
  if (!current.empty() && static_cast<int>(items.size()) < limit) items.push_back(current);
  return items;
}

CFileExportDialog::CFileExportDialog(const platform::Env& env, std::string_view title, std::string_view filterText,
                                     std::string_view fileName, std::string_view folder)
    : titleText(title), env_(env) {
  initialFolder = env.fs.isDirectory(folder) ? std::string(folder) : env.fs.currentDirectory();
  for (const auto& item : splitFilterItems(filterText, kMaxFilterItems)) {
    std::string pattern = patternOf(item);
    filters.push_back({item, pattern});
    extensions.push_back(pattern.empty() ? std::string() : pattern.substr(1));
  }
  fileBuffer = !fileName.empty() ? std::string(fileName) : "*" + (extensions.empty() ? std::string() : extensions[0]);
  size_t point = fileName.find('.');
  if (!fileName.empty() && point != std::string_view::npos) {
    std::string_view tail = fileName.substr(point);
    for (size_t i = 0; i < extensions.size(); ++i)
      if (extensions[i] == tail) {
        filterIndex = static_cast<int>(i) + 1;
        break;
      }
  }
}

std::string CFileExportDialog::onTypeChange(const std::string& nameField, const std::string& description) {
  size_t star = description.find('*');
  std::string extension;
  if (star != std::string::npos) {
    size_t close = description.find(')', star + 1);
    extension = description.substr(star + 1, close == std::string::npos ? std::string::npos : close - star - 1);
  }
  size_t point = nameField.find('.');
  if (nameField.empty()) return "*" + extension;
  if (point != std::string::npos) return nameField.substr(0, point) + extension;
  return nameField + extension;
}

bool CFileExportDialog::DoModal() {
  platform::FileDialogRequest request;
  request.save = true;
  request.title = titleText;
  request.initialName = fileBuffer;
  request.initialFolder = initialFolder;
  request.filters = filters;
  request.filterIndex = filterIndex;
  request.flags = platform::ofn::OFN_HIDEREADONLY | platform::ofn::OFN_OVERWRITEPROMPT;
  request.owner = platform::Owner::StatusDialog;
  request.onTypeChange = [this](const std::string& name, const std::string& description) {
    return onTypeChange(name, description);
  };
  auto result = env_.ui.fileDialog(request);
  filterIndex = result.filterIndex;
  if (!result.ok) return false;
  // The next run opens with the user's last choice in place.
  fileBuffer = result.path;
  std::string folder = directoryOf(result.path);
  if (env_.fs.isDirectory(folder)) initialFolder = folder;
  return true;
}

bool probeWritable(platform::FileSystem& fs, std::string_view path) {
  if (path.empty() || path.size() > kPathCapacity) return false;
  if (!fs.exists(path)) return writeAndReadBack(fs, std::string(path));
  // The user's existing file must survive until the download has really replaced it.
  std::string sibling = fs.tempName(directoryOf(path), "");
  if (sibling.empty() || directoryOf(sibling) != directoryOf(path)) sibling = std::string(path) + ".probe";
  return !fs.exists(sibling) && writeAndReadBack(fs, sibling);
}

void CStatusDlg::runSaveAsLoop() {
  std::string name = lastElement(path.view());
  size_t point = name.rfind('.');
  std::string extension = point == std::string::npos ? std::string() : name.substr(point);
  CFileExportDialog dialog(env_, ansi("다른 파일 이름으로 저장"), "download (*" + extension + ")", name, directoryOf(path.view()));
  while (true) {
    if (!dialog.DoModal()) {
      EndDialog(statusdlg::kEndCancel);
      return;
    }
    std::string chosen = dialog.pathName();
    // The user picked it, so the page may have it, but the control's own configuration is no place for
    // a document, whoever asks.
    if (!isReservedLocation(env_, chosen) && probeWritable(env_.fs, chosen) && path.assign(chosen)) {
      enableChoices(false);
      EndDialog(statusdlg::kEndOk);
      return;
    }
    env_.ui.messageBox(platform::Owner::StatusDialog, ansi("폴더 지정 오류"),
                              ansi("이 폴더에는 파일을 생성할 수 없습니다.\r\n다른 폴더를 지정하십시오."),
                              platform::mb::MB_OK);
  }
}

}  // namespace zx
