#include "net/socket_layer.h"

#include <cctype>

#include "app/error_report.h"

namespace quillet {
namespace {

constexpr int kRequiredSockets = 1;

// One number of an address in C notation; false when the text is not one.
bool ParsePart(const std::string& part, uint64_t& value) {
  if (part.empty()) return false;
  int base = 10;
  size_t i = 0;
  if (part.size() > 1 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
    base = 16, i = 2;
    if (part.size() == 2) return false;
  } else if (part.size() > 1 && part[0] == '0') {
    base = 8, i = 1;
  }
  value = 0;
  for (; i < part.size(); ++i) {
    int c = std::tolower(static_cast<unsigned char>(part[i]));
    int digit = std::isdigit(c) ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : 99);
    if (digit >= base) return false;
    value = value * uint64_t(base) + uint64_t(digit);
    if (value > 0xffffffffull) return false;
  }
  return true;
}

}  // namespace

std::optional<uint32_t> ParseAddress(const std::string& text) {
  std::vector<uint64_t> parts;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    uint64_t value = 0;
    if (!ParsePart(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start),
                   value)) {
      return std::nullopt;
    }
    parts.push_back(value);
    if (dot == std::string::npos) break;
    if (parts.size() == 4) return std::nullopt;
    start = dot + 1;
  }
  // Every number but the last is one byte; the last fills the bytes that remain.
  uint64_t host = 0;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    if (parts[i] > 255) return std::nullopt;
    host |= parts[i] << (8 * (3 - i));
  }
  uint64_t last_limit = parts.size() == 4 ? 0xff : (0xffffffffull >> (8 * (parts.size() - 1)));
  if (parts.back() > last_limit) return std::nullopt;
  host |= parts.back();
  if (host == 0xffffffffull) return std::nullopt;
  // Network order: the first byte of the address is the lowest byte of the value.
  uint32_t h = uint32_t(host);
  return (h >> 24) | ((h >> 8) & 0xff00u) | ((h << 8) & 0xff0000u) | (h << 24);
}

std::string DottedAddress(uint32_t network_order) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    if (i) text += '.';
    text += std::to_string((network_order >> (8 * i)) & 0xff);
  }
  return text;
}

bool StartSockets(Resolver& resolver, UserInterface& ui) {
  SocketStartup granted = resolver.Startup();
  if (granted.result != 0) {
    ui.ShowMessage("Winsock.dll is not responding.");
    return false;
  }
  if (granted.major < 1 || (granted.major == 1 && granted.minor < 1)) {
    ui.ShowMessage("Windows Sockets version " + std::to_string(granted.major) + "." +
                   std::to_string(granted.minor) + " is not supported by winsock.dll ");
    return false;
  }
  if (granted.max_sockets < kRequiredSockets) {
    ui.ShowMessage("This application requires a minimum of " + std::to_string(kRequiredSockets) +
                   " supported sockets.");
    return false;
  }
  return true;
}

void StopSockets(Resolver& resolver, UserInterface& ui) {
  int result = resolver.Cleanup();
  if (result != 0)
    ui.ShowMessage("Socket error " + std::to_string(result) + " occurred in Cleanup ");
}

std::string LocalAddress(Resolver& resolver, UserInterface& ui) {
  std::string result;
  RunGuarded(ui, tags::kLocalAddress, [&] {
    StartSockets(resolver, ui);
    int error = 0;
    std::optional<std::string> name = resolver.LocalHostName(error);
    if (!name) {
      ui.ShowMessage("Windows Sockets error " + std::string(error >= 0 ? " " : "") +
                     std::to_string(error));
      return;
    }
    std::optional<std::vector<std::string>> addresses = resolver.HostAddresses(*name);
    if (!addresses) {
      ui.ShowMessage("Winsock.dll is not responding.");
      return;
    }
    for (const std::string& address : *addresses) result = address;
    StopSockets(resolver, ui);
  });
  return result;
}

std::string NameToAddress(Resolver& resolver, const std::string& name) {
  std::optional<std::vector<std::string>> addresses = resolver.HostAddresses(name);
  if (!addresses || addresses->empty()) return "";
  return addresses->front();
}

std::string AddressToName(Resolver& resolver, UserInterface& ui, const std::string& address) {
  if (!StartSockets(resolver, ui)) {
    ui.ShowMessage("Sockets failed to initialize.");
    return "";
  }
  std::optional<uint32_t> value = ParseAddress(address);
  if (!value) {
    ui.ShowMessage("String passed is an invalid IP.");
    return "";
  }
  std::optional<std::string> name = resolver.HostName(DottedAddress(*value));
  std::string result = name ? *name : "";
  StopSockets(resolver, ui);
  return result;
}

}  // namespace quillet
