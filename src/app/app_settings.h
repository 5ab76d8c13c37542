#pragma once
// The one in-memory state shared by all windows, and the persisted keys it mirrors.
#include <cstdint>
#include <string>
#include <vector>

#include "app/settings_store.h"

namespace quillet {

namespace keys {
inline constexpr const char* kListFile = "ListFile";
inline constexpr const char* kTestUrl = "TestURL";
inline constexpr const char* kComboUrls = "ComboURLs";
inline constexpr const char* kComboFiles = "ComboFiles";
inline constexpr const char* kPing = "ping";
inline constexpr const char* kTestTimeout = "TestTimeout";
inline constexpr const char* kSearchText = "SearchText";
inline constexpr const char* kFindIp = "FindIP";
inline constexpr const char* kApplyButton = "iApplyButton";
inline constexpr const char* kToolbarGuid = "GUID4ie";
inline constexpr const char* kParallel = "parallel";
inline constexpr const char* kThreads = "threads";
inline constexpr const char* kPingMethod = "PingMethod";
inline constexpr const char* kWatchSeconds = "WatchSeconds";
inline constexpr const char* kWatchInTray = "WatchInTray";
}  // namespace keys

// Defaults used when a key is missing.
namespace defaults {
inline constexpr const char* kTestUrl = "?missing";
inline constexpr const char* kPing = "2500";
inline constexpr const char* kTestTimeout = "20";
inline constexpr const char* kSearchText = "HTTP_CLIENT_IP";
inline constexpr const char* kFindIp = "";
inline constexpr const char* kApplyButton = "0";
inline constexpr const char* kParallel = "1";
inline constexpr const char* kThreads = "0";
inline constexpr const char* kPingMethod = "icmp";
inline constexpr const char* kWatchSeconds = "0";
}  // namespace defaults

// How a row is pinged before its test-page fetch: an ICMP echo, the time a TCP connection to
// the proxy's port takes, or not at all.
inline constexpr const char* kPingMethods[] = {"icmp", "tcp", "none"};
// The word of kPingMethods that `text` names (letter case and blanks aside); empty for none.
std::string PingMethodFromText(const std::string& text);

// The most proxies the verification run checks at once: as many as the settings box takes (the
// open-file limit may cap a run further).
inline constexpr int32_t kMaxParallel = 9999;
// The most engines (threads, each with its own event loop) that share those proxies.
inline constexpr int32_t kMaxThreads = 64;
// The longest period of the watch over the applied proxy: one day.
inline constexpr int32_t kMaxWatchSeconds = 86400;

inline constexpr const char* kFirstRunListName = "QuilletD.txt";
inline constexpr const char* kDefaultListName = "Quillet.txt";
inline constexpr const char* kExtensionsKey = "Software\\Microsoft\\Internet Explorer\\Extensions";

struct AppSettings {
  // Filled by start-up.
  std::string ListFile;
  bool NoIE = false;
  bool FirstRun = false;  // start-up wrote the first-run settings just now
  std::string UpgradeVersion;
  std::string ToolbarGuid;
  std::string MyIP;

  // Filled by the main window's load and the settings dialog.
  std::string TestHost;
  std::string TestPath;
  int32_t PingTimeoutMs = 0;
  int32_t TestTimeoutMs = 0;
  std::string SearchText;
  std::string FindIP;
  // The address the judge saw on a direct visit of the test page (empty when none was found),
  // and the test page it was looked for on (empty: not looked for yet).
  std::string PublicIP;
  std::string PublicIPPage;
  int16_t ApplyButton = 0;
  int32_t Parallel = 1;  // proxies checked at once
  int32_t Threads = 0;   // engines that share them, each on a thread; 0: one per core
  std::string PingMethod = defaults::kPingMethod;  // one of kPingMethods
  bool NoIcmpTold = false;   // the user has heard that this system refuses ICMP echoes
  int32_t WatchSeconds = 0;  // how often the applied proxy is checked; 0: not watched

  // List and grid state.
  bool ListDirty = false;
  bool Verifying = false;
  bool Resolving = false;  // "Get server name/IP" is working through its rows
  bool AddingNew = false;  // Add New is looking a name up
  bool Loading = false;    // a large list file is being read while the window goes on
  int32_t GridRow = -1;    // 32 bits: lists grow past 32767 rows
  int32_t GridCol = -1;
  std::vector<std::string> Fields;
  std::vector<std::string> SelectedLines;
};

// The own address the windows show: the public one when the judge named it, else the machine's.
inline const std::string& ShownOwnAddress(const AppSettings& settings) {
  return settings.PublicIP.empty() ? settings.MyIP : settings.PublicIP;
}

// Fills PingTimeoutMs, TestTimeoutMs, SearchText, FindIP, ApplyButton, Parallel, Threads and
// WatchSeconds from the store.
void LoadNumbersAndTexts(const SettingsStore& store, AppSettings& settings);

// "ping" as whole milliseconds, "TestTimeout" seconds as milliseconds, "iApplyButton" as 0..n.
int32_t PingTimeoutFromText(const std::string& text);
int32_t TestTimeoutFromText(const std::string& text);
int16_t ApplyButtonFromText(const std::string& text);
// "parallel": a whole number from 1 to kMaxParallel (blanks around it allowed); false for
// anything else.
bool ParallelFromText(const std::string& text, int32_t& value);
// "threads": a whole number from 0 (one per core) to kMaxThreads; false for anything else.
bool ThreadsFromText(const std::string& text, int32_t& value);
// "WatchSeconds": a whole number of seconds from 0 (not watched) to kMaxWatchSeconds; false for
// anything else.
bool WatchSecondsFromText(const std::string& text, int32_t& value);

}  // namespace quillet
