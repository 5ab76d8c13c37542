#pragma once
// Runs a slow call on a worker thread while the window goes on handling its events, so the
// window never freezes; the caller still sees one synchronous call, so the order of effects is
// unchanged. What the call throws is thrown again on the caller's thread.
#include <chrono>
#include <future>
#include <utility>

#include "app/user_interface.h"

namespace quillet {

template <class Call>
auto CallYielding(UserInterface& ui, Call call) -> decltype(call()) {
  // The worker owns its own copy of the arguments; the future's destructor joins it.
  auto result = std::async(std::launch::async, std::move(call));
  while (result.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready) {
    ui.ProcessPendingEvents();
  }
  return result.get();
}

}  // namespace quillet
