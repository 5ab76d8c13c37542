#pragma once
// The main window's pieces that the list operations work on.
#include "app/app_settings.h"
#include "app/user_interface.h"
#include "proxylist/proxy_list.h"

namespace quillet {

class ListFetcher;

struct ListWindow {
  ProxyList& list;
  AppSettings& settings;
  UserInterface& ui;
  ListFetcher* fetcher = nullptr;  // reads a list from a web address; none where that is not done
};

}  // namespace quillet
