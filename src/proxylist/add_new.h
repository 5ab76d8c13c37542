#pragma once
// Add New: one proxy, or a pasted block of them (one a line), typed as name:port, IP:port,
// protocol://host:port or a whole list-file line.
#include <string>

#include "net/resolver.h"
#include "proxylist/list_window.h"

namespace quillet {

// The example entry the Add New prompt shows.
inline constexpr const char* kAddNewExample = "proxy.example.com:80";
// The word shown when Add New is chosen while another one is still looking a name up.
inline constexpr const char* kAddNewBusyMessage =
    "Add New is still looking up a name. Try again when its row is in the list.";

// Adds a row per line that reads well. The lines that do not are offered again, as typed, after
// one message that says for each what to fix; an empty answer or Cancel ends the command.
void AddNewCommand(ListWindow window, Resolver& resolver);

}  // namespace quillet
