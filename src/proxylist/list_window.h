#pragma once
// The main window's pieces that the list operations work on.
#include "app/app_settings.h"
#include "app/user_interface.h"
#include "proxylist/proxy_list.h"

namespace quillet {

struct ListWindow {
  ProxyList& list;
  AppSettings& settings;
  UserInterface& ui;
};

}  // namespace quillet
