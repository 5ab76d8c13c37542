#pragma once
// The one error trap at the windows' edge. Every handler that a control, a menu item or a
// button starts is connected through Guarded, so a failure that escapes the handler becomes
// the program's error report under the handler's tag, and the program goes on.
#include <utility>

#include "app/error_report.h"

namespace quillet {

template <class Handler>
auto Guarded(UserInterface& ui, const char* tag, Handler handler) {
  return [&ui, tag, handler = std::move(handler)] { RunGuarded(ui, tag, handler); };
}

}  // namespace quillet
