#include "proxylist/list_fetcher.h"

#include "app/yielding_call.h"
#include "core/text.h"
#include "proxylist/list_file.h"

namespace quillet {

std::string NotTextProblem(std::string_view content_type, std::string_view body) {
  std::string type = Trim(content_type.substr(0, content_type.find(';')));
  if (!type.empty() && !StartsWithNoCase(type, "text/")) {
    return "the answer is " + type + ", not a text list";
  }
  if (body.find('\0') != std::string_view::npos) return "the answer is not text";
  return "";
}

std::string WebListText(std::string_view page) {
  std::string text;
  text.reserve(page.size());
  for (const std::string& raw : SplitLines(std::string(page))) {
    std::string line = Trim(raw);
    if (!line.empty() && line[0] == '#') line[0] = '\'';
    text.append(line).append("\r\n");
  }
  return text;
}

FetchedList FetchListInTurn(ListWindow window) {
  if (!window.fetcher) return {"", "lists are not fetched from web addresses here"};
  window.ui.SetPointer(PointerShape::Busy);
  window.settings.Loading = true;
  FetchedList page;
  try {
    page = CallYielding(window.ui, [fetcher = window.fetcher, address = window.settings.ListFile] {
      return fetcher->Fetch(address);
    });
  } catch (...) {
    window.settings.Loading = false;
    window.ui.SetPointer(PointerShape::Default);
    throw;
  }
  window.settings.Loading = false;
  window.ui.SetPointer(PointerShape::Default);
  return page;
}

std::string FetchFailureMessage(const std::string& address, const std::string& problem) {
  return "Could not fetch the proxy list at '" + address + "': " + problem +
         ".\nReload tries again.";
}

bool ChooseLocalListFile(ListWindow window) {
  std::string address = window.settings.ListFile;
  std::string name = address.substr(address.find_last_of('/') + 1);
  name = name.substr(0, name.find_first_of("?#"));
  if (name.empty() || name.find('.') == std::string::npos) name = "proxies.txt";
  std::string path = Trim(window.ui.AskSaveFileName(
      "Save the list from " + address + " to a file on this computer", name));
  if (path.empty()) return false;
  window.settings.ListFile = path;
  return true;
}

}  // namespace quillet
