#pragma once
// Fakes of the services that start-up asks: the instance lock, the browser and the toolbar.
#include <optional>
#include <string>
#include <vector>

#include "app/browser_info.h"
#include "app/instance_lock.h"
#include "app/toolbar_remover.h"

namespace quillet::testing {

class FakeInstanceLock : public InstanceLock {
 public:
  bool other_copy_running = false;
  bool Acquire() override { return !other_copy_running; }
};

class FakeBrowserInfo : public BrowserInfo {
 public:
  std::optional<ClientVersion> version = ClientVersion{1, 2};
  std::string cookies;
  std::optional<ClientVersion> Version() override { return version; }
  std::string Cookies(const std::string&) override { return cookies; }
};

class RecordingToolbarRemover : public ToolbarRemover {
 public:
  std::vector<std::string> removed;
  void RemoveToolbarButton(const std::string& guid) override { removed.push_back(guid); }
};

}  // namespace quillet::testing
