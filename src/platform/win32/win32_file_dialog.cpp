#include "platform/win32/win32_file_dialog.h"

#include <commdlg.h>
#include <dlgs.h>

#include <vector>

#include "platform/fixed_text.h"
#include "platform/win32/win32_text.h"

namespace zx::platform {
namespace {


// "desc\0pattern\0...\0\0", the form the common dialogs take.
std::wstring systemFilter(const std::vector<FileFilter>& filters) {
  std::wstring list;
  for (const FileFilter& filter : filters) {
    list += wideText(filter.description);
    list += L'\0';
    list += wideText(filter.pattern);
    list += L'\0';
  }
  list += L'\0';
  return list;
}

// The type list's selected description.
std::wstring selectedType(HWND dialog) {
  HWND types = GetDlgItem(dialog, cmb1);
  LRESULT selected = types ? SendMessageW(types, CB_GETCURSEL, 0, 0) : CB_ERR;
  if (selected == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(SendMessageW(types, CB_GETLBTEXTLEN, selected, 0)) + 1, L'\0');
  LRESULT length = SendMessageW(types, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length == CB_ERR ? 0 : static_cast<size_t>(length));
  return text;
}

// The explorer-style dialog names its file-name field cmb13 (a combo box) or edt1.
int fileNameField(HWND dialog) { return GetDlgItem(dialog, cmb13) ? cmb13 : edt1; }

UINT_PTR CALLBACK hookProcedure(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  auto* notify = reinterpret_cast<OFNOTIFYW*>(lParam);
  if (notify->hdr.code != CDN_TYPECHANGE) return 0;
  const auto* request = reinterpret_cast<const FileDialogRequest*>(notify->lpOFN->lCustData);
  if (!request || !request->onTypeChange) return 0;
  HWND dialog = GetParent(hook);
  const int field = fileNameField(dialog);
  std::string renamed = request->onTypeChange(windowText(GetDlgItem(dialog, field)), ansiText(selectedType(dialog)));
  CommDlg_OpenSave_SetControlText(dialog, field, wideText(renamed).c_str());
  return 0;
}

}  // namespace

FileDialogResult runFileDialog(HWND owner, const FileDialogRequest& request) {
  std::wstring filter = systemFilter(request.filters);
  std::wstring title = wideText(request.title);
  std::wstring folder = wideText(request.initialFolder);
  std::wstring extension = wideText(request.defaultExtension);
  std::vector<wchar_t> file(kPathCapacity + 1, L'\0');
  std::wstring initial = wideText(request.initialName);
  initial.copy(file.data(), file.size() - 1);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex);
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = request.flags | OFN_EXPLORER | OFN_ENABLESIZING;
  if (request.onTypeChange) {
    dialog.Flags |= OFN_ENABLEHOOK;
    dialog.lpfnHook = &hookProcedure;
    dialog.lCustData = reinterpret_cast<LPARAM>(&request);
  }
  FileDialogResult result;
  result.filterIndex = request.filterIndex;
  result.ok = request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (result.ok) {
    result.path = ansiText(file.data());
    result.filterIndex = static_cast<int>(dialog.nFilterIndex);
  }
  return result;
}

}  // namespace zx::platform
