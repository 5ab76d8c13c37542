#include "browser/current_settings.h"

#include "app/error_report.h"
#include "core/text.h"

namespace quillet {
namespace {

constexpr size_t kMaxServerText = 255;

// Puts one entry of a ProxyString into its field; false when the entry ends the reading.
bool ReadServerEntry(const std::string& entry, ProxyFields& fields) {
  if (entry.empty()) return false;
  std::string head = Left(entry, 4);
  auto text_from = [&](size_t start) {
    return entry.size() > start ? entry.substr(start, kMaxServerText) : "";
  };
  auto copy_from = [&](size_t field, size_t start) { fields.servers[field] = text_from(start); };
  if (EqualsNoCase(head, "ftp=")) {
    copy_from(2, 4);
  } else if (EqualsNoCase(head, "http")) {
    if (EqualsNoCase(Left(entry, 5), "http=")) {
      copy_from(0, 5);
    } else {
      copy_from(1, 6);
    }
  } else if (EqualsNoCase(head, "goph")) {
    copy_from(3, 7);
  } else if (EqualsNoCase(head, "sock")) {
    if (EqualsNoCase(Left(entry, 6), "socks=")) fields.socks = text_from(6);
  } else {
    fields.same = true;
    fields.servers[0] = entry;
  }
  return true;
}

}  // namespace

std::string ConnectionName(const std::string& shown) {
  return EqualsNoCase(Left(shown, 3), "LAN") ? "" : shown;
}

void ShowServers(const std::string& proxy, int32_t flags, ProxyFields& fields) {
  fields.servers = {};
  fields.socks.clear();
  fields.proxy = flags == kProxyFlagsDirect ? CheckState::Unchecked : CheckState::Checked;
  fields.same = false;
  if (!proxy.empty()) {
    for (const std::string& entry : Split(proxy, ";")) {
      if (!ReadServerEntry(entry, fields)) break;
    }
  }
}

void ShowBypass(const std::string& bypass, ProxyFields& fields) {
  fields.bypass_local = ContainsNoCase(bypass, "<local>");
  fields.bypass = ReplaceAllNoCase(bypass, "<local>", "");
}

void ReadProxySettings(ConnectionProxyComponent& component, ProxyFields& fields) {
  fields.servers = {};
  fields.socks.clear();
  std::string connection = ConnectionName(fields.connection);
  std::string proxy;
  int32_t flags = 0;
  component.GetConnectionOption(kProxyOptionServer, connection, proxy, flags);
  ShowServers(proxy, flags, fields);
  std::string bypass;
  component.GetConnectionOption(kProxyOptionBypass, connection, bypass, flags);
  ShowBypass(bypass, fields);
}

void ReadCurrentSettings(ProxyFieldsView& view, ConnectionProxyComponent& component,
                         UserInterface& ui) {
  ProxyFields fields = view.Fields();
  RunGuarded(ui, tags::kReadCurrentSettings, [&] { ReadProxySettings(component, fields); });
  view.SetFields(fields);
}

std::array<uint32_t, 5> ProxyFieldColours(const ProxyFields& fields) {
  bool others_off = fields.same || fields.proxy == CheckState::Unchecked;
  uint32_t others = others_off ? kInactiveFieldColour : kActiveFieldColour;
  uint32_t http = fields.proxy == CheckState::Checked ? kActiveFieldColour : kInactiveFieldColour;
  // "all 4" leaves the SOCKS server in effect.
  uint32_t socks =
      fields.proxy == CheckState::Unchecked ? kInactiveFieldColour : kActiveFieldColour;
  return {http, others, others, others, socks};
}

}  // namespace quillet
