#pragma once
// "Get server name" / "Get server IP": fills one address column of the selected rows from the
// other, showing progress in the window's caption.
#include <functional>
#include <string>

#include "net/resolver.h"
#include "proxylist/list_window.h"

namespace quillet {

// Sets the main window's caption.
using CaptionSetter = std::function<void(const std::string&)>;

void ResolveRows(ListWindow window, Resolver& resolver, bool get_name, const CaptionSetter& caption,
                 const std::string& base_caption);

}  // namespace quillet
