#include "app/app_settings.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"

namespace quillet {
namespace {

int32_t ClampToInt32(double value) {
  value = std::round(value);
  return static_cast<int32_t>(std::clamp(value, -2147483648.0, 2147483647.0));
}

}  // namespace

int32_t PingTimeoutFromText(const std::string& text) {
  return ClampToInt32(LeadingNumber(text));
}

int32_t TestTimeoutFromText(const std::string& text) {
  return ClampToInt32(LeadingNumber(text) * 1000.0);
}

int16_t ApplyButtonFromText(const std::string& text) {
  double value = std::round(LeadingNumber("0" + text));
  return static_cast<int16_t>(std::clamp(value, -32768.0, 32767.0));
}

namespace {

// A whole number from `low` to `high`, blanks around it allowed.
bool WholeNumberFromText(const std::string& text, int32_t low, int32_t high, int32_t& value) {
  std::string digits = Trim(text);
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  int32_t number = static_cast<int32_t>(std::stol(digits));
  if (number < low || number > high) return false;
  value = number;
  return true;
}

}  // namespace

bool ParallelFromText(const std::string& text, int32_t& value) {
  return WholeNumberFromText(text, 1, kMaxParallel, value);
}

bool ThreadsFromText(const std::string& text, int32_t& value) {
  return WholeNumberFromText(text, 0, kMaxThreads, value);
}

bool WatchSecondsFromText(const std::string& text, int32_t& value) {
  return WholeNumberFromText(text, 0, kMaxWatchSeconds, value);
}

std::string PingMethodFromText(const std::string& text) {
  std::string word = ToLower(Trim(text));
  for (const char* method : kPingMethods)
    if (word == method) return word;
  return "";
}

void LoadNumbersAndTexts(const SettingsStore& store, AppSettings& settings) {
  settings.PingTimeoutMs = PingTimeoutFromText(store.Read(keys::kPing, defaults::kPing));
  settings.TestTimeoutMs =
      TestTimeoutFromText(store.Read(keys::kTestTimeout, defaults::kTestTimeout));
  settings.SearchText = store.Read(keys::kSearchText, defaults::kSearchText);
  settings.FindIP = store.Read(keys::kFindIp, defaults::kFindIp);
  settings.ApplyButton =
      ApplyButtonFromText(store.Read(keys::kApplyButton, defaults::kApplyButton));
  std::string method = PingMethodFromText(store.Read(keys::kPingMethod, defaults::kPingMethod));
  settings.PingMethod = method.empty() ? defaults::kPingMethod : method;
  settings.Parallel = 1;
  ParallelFromText(store.Read(keys::kParallel, defaults::kParallel), settings.Parallel);
  settings.Threads = 0;
  ThreadsFromText(store.Read(keys::kThreads, defaults::kThreads), settings.Threads);
  settings.WatchSeconds = 0;
  WatchSecondsFromText(store.Read(keys::kWatchSeconds, defaults::kWatchSeconds),
                       settings.WatchSeconds);
  settings.CountryDatabase = Trim(store.Read(keys::kCountryDatabase, ""));
}

}  // namespace quillet
