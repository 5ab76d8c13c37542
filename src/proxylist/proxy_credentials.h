#pragma once
// A proxy's user name and password: the forms people paste (user:pass@host:port, with or without
// a scheme in front, and the providers' host:port:user:pass) and the field a list line keeps
// them in.
#include <memory>
#include <string>

namespace quillet {

struct ProxyCredentials {
  std::string user;
  std::string password;
  bool empty() const { return user.empty() && password.empty(); }
  friend bool operator==(const ProxyCredentials&, const ProxyCredentials&) = default;
};

// A row keeps its credentials apart from its cells, shared and unchanged, so that the millions of
// rows without any pay for one empty pointer only.
using SharedCredentials = std::shared_ptr<const ProxyCredentials>;

// "host:port" with the credentials taken out of it: from "user:pass@host:port" (user and
// password written as in a web address, %XX for a byte) or from "host:port:user:pass" (taken as
// typed; the password is everything after the third ":"). Text in neither form comes back
// unchanged with no credentials.
struct CredentialedAddress {
  std::string address;
  ProxyCredentials credentials;
};
CredentialedAddress SplitCredentials(const std::string& text);

// The text with its password left out ("user@host:port"), for what people and other programs read
// (notifications, the status line); text without credentials comes back unchanged.
std::string WithoutPassword(const std::string& text);

// "user:pass@host:port" as a web address writes it (user and password with %XX for every byte
// but letters, digits and "-._~"), for the proxy fields; plain `address` without credentials.
std::string AddressWithCredentials(const ProxyCredentials& credentials, const std::string& address);

// The list file's field for credentials: "user:password", with "%", "|", blanks and control
// bytes (and ":" in the user name) written as %XX so that the field reads back the same.
std::string CredentialsField(const ProxyCredentials& credentials);
// The credentials of such a field; none for a field without ":".
ProxyCredentials CredentialsOfField(const std::string& field);

}  // namespace quillet
