#pragma once
// A proxy farm started for one test and stopped when the test ends.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "core/text.h"

namespace quillet::testing {

class FarmProcess {
 public:
  // `first`: the first loopback address; the farm's list goes to `dir`/farm.txt.
  FarmProcess(const std::filesystem::path& dir, const std::string& first, int count,
              const std::string& mix) {
    list_ = (dir / "farm.txt").string();
    truth_ = (dir / "truth.csv").string();
    std::string ready = (dir / "ready").string();
    std::string port = std::to_string(20000 + getpid() % 20000);
    child_ = fork();
    if (child_ == 0) {
      execl(PROXYFARM_PATH, "proxyfarm", "--first", first.c_str(), "--count",
            std::to_string(count).c_str(), "--port", port.c_str(), "--mix", mix.c_str(), "--list",
            list_.c_str(), "--truth", truth_.c_str(), "--ready-file", ready.c_str(), "--lifetime",
            "60", "--slow-ms", "300", nullptr);
      _exit(127);
    }
    for (int i = 0; i < 200 && !std::filesystem::exists(ready); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ready_ = std::filesystem::exists(ready);
  }
  ~FarmProcess() {
    kill(child_, SIGTERM);
    int status;
    waitpid(child_, &status, 0);
  }

  bool ready() const { return ready_; }
  const std::string& list() const { return list_; }

  // Proxy text -> {status, secure} that a correct check gives.
  // proxy -> its fields: proxy, kind, status, secure, level.
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
  pid_t child_ = -1;
  bool ready_ = false;
  std::string list_;
  std::string truth_;
};

}  // namespace quillet::testing
