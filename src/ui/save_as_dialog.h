#pragma once
// The save-as dialog of the download's Save choice: its filter list and file name follow the
// document's extension, and the place chosen is probed for writing before anything is fetched.
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "platform/ui.h"

namespace zx {

class CFileExportDialog {
 public:
  static constexpr int kMaxFilterItems = 20;

  CFileExportDialog(const platform::Env& env, std::string_view title, std::string_view filterText,
                    std::string_view fileName, std::string_view initialFolder);

  // Runs the dialog; true on OK, with the chosen path in pathName().
  bool DoModal();
  const std::string& pathName() const { return fileBuffer; }
  // The file-type-change notification: the new name field for the type's description.
  std::string onTypeChange(const std::string& nameField, const std::string& description);

  std::string titleText;
  std::vector<platform::FileFilter> filters;  // the filter list, description and pattern
  std::vector<std::string> extensions;         // each item's extension
  std::string fileBuffer;
  int filterIndex = 1;
  std::string initialFolder;

 private:
  const platform::Env& env_;
};

// Splits a filter text at '|' into at most `limit` items; a stretch quoted with ' or " stays
// one item and loses its quotes.
std::vector<std::string> splitFilterItems(std::string_view text, int limit);

// True when a test text could be written and read back at path. An existing file there is
// left alone: a sibling name in the same folder is probed instead.
bool probeWritable(platform::FileSystem& fs, std::string_view path);

}  // namespace zx
