#include "proxylist/proxy_credentials.h"

#include <string_view>

#include "core/text.h"

namespace quillet {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX becomes its byte; a "%" not followed by two hex digits stays as it is.
std::string PercentDecoded(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      plain += char(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

bool PlainInAddress(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("-._~").find(c) != std::string_view::npos;
}

// `text` with %XX for each byte that `encode` picks.
template <typename Pick>
std::string PercentEncoded(const std::string& text, Pick encode) {
  static const char* kHex = "0123456789ABCDEF";
  std::string encoded;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (encode(c)) {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    } else {
      encoded += c;
    }
  }
  return encoded;
}

ProxyCredentials UserAndPassword(const std::string& text, bool decode) {
  size_t colon = text.find(':');
  std::string user = text.substr(0, colon);
  std::string password = colon == std::string::npos ? "" : text.substr(colon + 1);
  if (!decode) return {user, password};
  return {PercentDecoded(user), PercentDecoded(password)};
}

}  // namespace

CredentialedAddress SplitCredentials(const std::string& text) {
  if (size_t at = text.rfind('@'); at != std::string::npos) {
    return {text.substr(at + 1), UserAndPassword(text.substr(0, at), true)};
  }
  // host:port:user:pass, when what follows the host is a port.
  size_t first = text.find(':');
  size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  if (second == std::string::npos || PortNumber(text.substr(first + 1, second - first - 1)) == 0) {
    return {text, {}};
  }
  return {text.substr(0, second), UserAndPassword(text.substr(second + 1), false)};
}

std::string WithoutPassword(const std::string& text) {
  CredentialedAddress split = SplitCredentials(text);
  return split.credentials.empty() ? text : split.credentials.user + "@" + split.address;
}

std::string AddressWithCredentials(const ProxyCredentials& credentials,
                                   const std::string& address) {
  if (credentials.empty()) return address;
  auto encode = [](char c) { return !PlainInAddress(c); };
  return PercentEncoded(credentials.user, encode) + ":" +
         PercentEncoded(credentials.password, encode) + "@" + address;
}

std::string CredentialsField(const ProxyCredentials& credentials) {
  // Kept readable: only what would break the line or the field, ":" in the user name, and bytes
  // above ASCII (a password need not be UTF-8 text, and a line that is not is read in the old
  // code page, the rest of the line with it).
  auto encode = [](char c, bool colon_too) {
    auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' || byte >= 0x7f || c == '%' || c == '|' || (colon_too && c == ':');
  };
  return PercentEncoded(credentials.user, [&](char c) { return encode(c, true); }) + ":" +
         PercentEncoded(credentials.password, [&](char c) { return encode(c, false); });
}

ProxyCredentials CredentialsOfField(const std::string& field) {
  if (field.find(':') == std::string::npos) return {};
  return UserAndPassword(field, true);
}

}  // namespace quillet
