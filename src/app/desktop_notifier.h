#pragma once
// A message to the user from the desktop itself (a notification bubble), for news that must
// reach the user while the window is hidden or behind others.
#include <string>

namespace quillet {

class DesktopNotifier {
 public:
  virtual ~DesktopNotifier() = default;
  // False when the desktop took no notification (no notification service is running).
  virtual bool Notify(const std::string& summary, const std::string& body) = 0;
};

}  // namespace quillet
