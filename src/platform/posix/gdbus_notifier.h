#pragma once
// Desktop notifications through the session bus's notification service
// (org.freedesktop.Notifications), called with GDBus.
#include "app/desktop_notifier.h"

namespace quillet {

class GDBusNotifier : public DesktopNotifier {
 public:
  bool Notify(const std::string& summary, const std::string& body) override;
};

}  // namespace quillet
