#include "app/user_guide.h"

#include "core/paths.h"

namespace quillet {

std::string UserGuidePath(const std::string& program_dir, const std::string& shared_data_dir) {
  std::string beside = InFolder(program_dir, kUserGuideName);
  if (FileExists(beside) || shared_data_dir.empty()) return beside;
  std::string share = shared_data_dir.substr(0, shared_data_dir.find_last_of("/\\"));
  return InFolder(InFolder(InFolder(share, "doc"), "quillet"), kUserGuideName);
}

}  // namespace quillet
