// The toolkit's own file dialog, shown for the file dialog element and for
// GetFile.  Included by toolkit sources only.
#pragma once

#include <string>

namespace tk {

struct FileDialogRequest {
  std::string title;
  std::string folder;      // where the list starts; "" is the working folder
  std::string filter;      // patterns separated by ';'
  std::string filterInfo;  // the filter as shown; "" shows the patterns
  bool mustExist = false;  // opening: only an existing file is accepted
};

// Whether `path` names a regular file (not a folder, device or pipe).
bool IsRegularFile(const std::string& path);

// Runs the dialog modally.  True with the absolute path of the accepted
// name in `chosen`; false when cancelled.
bool RunFileDialog(const FileDialogRequest& request, std::string& chosen);

}  // namespace tk
