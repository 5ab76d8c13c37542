#pragma once
// A proxy farm (tools/proxyfarm) started for one benchmark and stopped when it ends.
// Its user defines PROXYFARM_PATH.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/text.h"
#include "fakes/child_process.h"

namespace quillet::testing {

struct FarmOptions {
  std::string first;     // the first loopback address
  int count = 0;         // proxies, one address each
  std::string mix = "";  // kinds and their shares; empty: the farm's own mix
  int port = 0;          // 0: one of this process's own
  int lifetime_s = 60;   // the farm ends itself then, should its user die first
  int ready_within_s = 10;
  bool any_address = false;  // one wildcard listener (inside a private network namespace)
};

class FarmProcess {
 public:
  // The farm's list goes to `dir`/farm.txt, its ground truth to `dir`/truth.csv.
  FarmProcess(const std::filesystem::path& dir, const FarmOptions& options) {
    list_ = (dir / "farm.txt").string();
    truth_ = (dir / "truth.csv").string();
    std::string ready = (dir / "ready").string();
    std::string port = std::to_string(options.port ? options.port : 20000 + getpid() % 20000);
    std::vector<std::string> args = {PROXYFARM_PATH, "--first", options.first, "--port", port};
    args.insert(args.end(), {"--count", std::to_string(options.count), "--list", list_});
    args.insert(args.end(), {"--truth", truth_, "--ready-file", ready, "--slow-ms", "300"});
    args.insert(args.end(), {"--lifetime", std::to_string(options.lifetime_s)});
    if (!options.mix.empty()) args.insert(args.end(), {"--mix", options.mix});
    if (options.any_address) args.push_back("--any-address");
    child_.emplace(args, "/dev/null");
    for (int i = 0; i < options.ready_within_s * 20 && !std::filesystem::exists(ready); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ready_ = std::filesystem::exists(ready);
  }
  bool ready() const { return ready_; }
  const std::string& list() const { return list_; }

  // What a correct check gives, by proxy text: its fields: proxy, kind, status, secure, level.
  std::map<std::string, std::vector<std::string>> Truth() const {
    std::map<std::string, std::vector<std::string>> truth;
    std::ifstream in(truth_);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::vector<std::string> fields = Split(line, ",");
      if (fields.size() >= 5) truth[fields[0]] = fields;
    }
    return truth;
  }

 private:
  std::optional<ChildProcess> child_;
  bool ready_ = false;
  std::string list_;
  std::string truth_;
};

}  // namespace quillet::testing
