#pragma once
// The program's thin layer over the socket library: start-up and release with their messages,
// and the three look-ups the rest of the program uses.
#include <cstdint>
#include <optional>
#include <string>

#include "app/user_interface.h"
#include "net/resolver.h"

namespace quillet {

// Starts the library and checks the version (1.1 at least) and socket count; shows a message
// and answers false when it is not usable.
bool StartSockets(Resolver& resolver, UserInterface& ui);
// Releases the library once; shows "Socket error <n> occurred in Cleanup " when that fails.
void StopSockets(Resolver& resolver, UserInterface& ui);

// The local host's own address (the last of its list), or empty text. Failures show their
// message; unexpected ones are reported under "F2".
std::string LocalAddress(Resolver& resolver, UserInterface& ui);

// The first IPv4 address of a host name, or empty text when it does not resolve. Silent.
std::string NameToAddress(Resolver& resolver, const std::string& name);

// The reverse name of a dotted address, or empty text. Text that is not an address (and the
// broadcast address) shows "String passed is an invalid IP.".
std::string AddressToName(Resolver& resolver, UserInterface& ui, const std::string& address);

// Reads address text as the platform's address parser does: one to four numbers joined by "."
// (decimal, 0x hexadecimal or 0 octal), the last filling the remaining bytes. Answers the four
// bytes in network order, or nullopt for text that is not an address or gives all bits set.
std::optional<uint32_t> ParseAddress(const std::string& text);
std::string DottedAddress(uint32_t network_order);

}  // namespace quillet
