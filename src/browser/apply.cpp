#include "browser/apply.h"

#include <array>

#include "app/error_report.h"
#include "browser/current_settings.h"
#include "core/text.h"

namespace quillet {

namespace {

constexpr std::array<const char*, 4> kPrefixes = {"http=", "https=", "ftp=", "gopher="};

// With a SOCKS server: the entries of the filled fields ("all 4": the HTTP server for each of
// the four), then the SOCKS entry.
std::string ProxyStringWithSocks(const ProxyFields& fields) {
  std::string text;
  for (size_t i = 0; i < kPrefixes.size(); ++i) {
    const std::string& server = fields.same ? fields.servers[0] : fields.servers[i];
    if (!server.empty()) text += kPrefixes[i] + server + ";";
  }
  return text + "socks=" + fields.socks + ";";
}

}  // namespace

std::string BuildProxyString(const ProxyFields& fields) {
  if (!fields.socks.empty()) return ProxyStringWithSocks(fields);
  if (fields.same) return fields.servers[0];
  std::string text = kPrefixes[0] + fields.servers[0] + ";";
  for (size_t i = 1; i < kPrefixes.size(); ++i) {
    if (!fields.servers[i].empty()) text += kPrefixes[i] + fields.servers[i] + ";";
  }
  if (text.find(';') == text.size() - 1) {
    size_t start = text.find('=') + 1;
    return text.substr(start, text.size() - 1 - start);
  }
  return text;
}

std::string BuildBypassList(ProxyFields& fields) {
  std::string list = fields.bypass_local ? "<local>" : "";
  fields.bypass = Trim(fields.bypass);
  if (fields.bypass.empty()) return list;
  if (fields.bypass.back() == ';') fields.bypass.pop_back();
  return fields.bypass + ";" + list;
}

int32_t ProxyFlags(CheckState proxy, const std::string& proxy_string) {
  if (proxy == CheckState::Unchecked || proxy_string.empty()) return kProxyFlagsDirect;
  return kProxyFlagsManual;
}

void WriteProxySettings(ConnectionProxyComponent& component, ProxyFields& fields) {
  CheckState proxy = fields.proxy;
  std::string server = BuildProxyString(fields);
  std::string bypass = BuildBypassList(fields);
  std::string connection = ConnectionName(fields.connection);
  int32_t flags = ProxyFlags(proxy, server);
  bool write_bypass = !bypass.empty() && flags == kProxyFlagsManual;
  component.CheckValues(server, flags, write_bypass ? bypass : "");
  component.SetConnectionOption(kProxyOptionServer, connection, server, flags);
  if (write_bypass) {
    component.SetConnectionOption(kProxyOptionBypass, connection, bypass, kProxyFlagsBypass);
  }
}

ApplyOutcome ApplyProxySettings(ProxyFieldsView& view, const ApplyServices& services,
                                int apply_mode, const std::string& test_page) {
  ApplyOutcome outcome = ApplyOutcome::Failed;
  ProxyFields fields = view.Fields();
  RunGuarded(services.ui, tags::kApply, [&] {
    WriteProxySettings(services.component, fields);
    view.SetFields(fields);
    if (FollowersNotice notice = services.component.FinishApply(); !notice.text.empty()) {
      if (!notice.clipboard.empty()) services.ui.SetClipboardText(notice.clipboard);
      services.ui.ShowMessage(notice.text,
                              notice.warning ? MessageIcon::Exclamation : MessageIcon::Information);
    }
    std::string address = services.browser.StartAddress(apply_mode, test_page);
    if (!address.empty()) {
      int show = apply_mode == 2 ? kShowNormal : kShowMinimised;
      LaunchDocument(services.shell, services.ui, kBrowserProgram, address, show);
    }
    if (apply_mode == 2) {
      outcome = ApplyOutcome::Exit;
      return;
    }
    if (!address.empty()) services.browser.CloseStartedBrowser(address, services.ui);
    outcome = apply_mode == 1 ? ApplyOutcome::Exit : ApplyOutcome::Stay;
  });
  view.SetFields(fields);
  return outcome;
}

std::string RestorePreviousSettings(ConnectionProxyComponent& component) {
  try {
    component.RestoreKeptSettings();
    return "";
  } catch (const RunTimeError& failure) {
    return ReplaceAll(failure.what(), "\n", " ");
  }
}

}  // namespace quillet
