#pragma once
// The proxy settings of a Linux desktop as one connection-options component: Apply writes every
// setting some program on this desktop reads (the table of desktop_followers.h), each checked
// on its own, so that a failure in one still reaches the programs that read the other, and the
// notice names who follows. Before the first Apply that changes anything, what the desktop had
// is kept in a file of Quillet's own, which Restore puts back.
#include <memory>
#include <string>
#include <vector>

#include "browser/desktop_followers.h"
#include "browser/desktop_proxy_target.h"

namespace quillet {

class DesktopProxySettings : public ConnectionProxyComponent {
 public:
  struct Target {
    ProxyTarget kind;
    std::unique_ptr<DesktopProxyTarget> settings;
  };
  // `targets`: every setting Quillet can reach, the one this desktop's proxy fields are read
  // from first; `kept_path`: the file that keeps the desktop's own settings.
  DesktopProxySettings(DesktopFamily family, std::string desktop_name, std::vector<Target> targets,
                       std::string kept_path);

  void CheckValues(const std::string& server, int32_t flags, const std::string& bypass) override;
  void SetConnectionOption(int32_t option, const std::string& connection, const std::string& value,
                           int32_t flags) override;
  // From the first setting written here that can be read.
  void GetConnectionOption(int32_t option, const std::string& connection, std::string& value,
                           int32_t& flags) override;
  FollowersNotice FinishApply() override;
  bool HasKeptSettings() const override;
  void RestoreKeptSettings() override;

 private:
  std::vector<Target*> Written();
  void KeepBeforeFirstChange();

  DesktopFamily family_;
  std::string desktop_name_;
  std::vector<Target> targets_;
  std::string kept_path_;
  ApplyReport report_;
  bool kept_now_ = false;  // this Apply made the kept copy
  std::string last_notice_;
};

}  // namespace quillet
