#pragma once
// Opening a document, web address or program with the desktop's "open" facility. The list's
// Edit button opens the list file through it (empty file, the path as parameters, show mode 1).
#include <string>

namespace quillet {

class DocumentLauncher {
 public:
  virtual ~DocumentLauncher() = default;
  virtual void LaunchDocument(const std::string& file, std::string& parameters, int show) = 0;
};

}  // namespace quillet
