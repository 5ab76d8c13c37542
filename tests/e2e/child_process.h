#pragma once
// Real servers started by the end-to-end tests: each runs in the foreground as our child, dies
// with the test process, and is stopped (and waited for) when its object goes away.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::testing {

class ChildProcess {
 public:
  // Starts `argv` (argv[0] a full path) with stdout and stderr going to `log_path`.
  ChildProcess(const std::vector<std::string>& argv, const std::string& log_path);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool running();
  void Stop();  // SIGTERM, then SIGKILL after a few seconds; always waits for the child

 private:
  pid_t pid_ = -1;
};

// Whether a program is installed (found on PATH or in /usr/sbin, where proxies live).
std::string FindProgram(const std::string& name);

// Waits until something accepts connections on address:port.
bool WaitForPort(const std::string& address, uint16_t port, int timeout_ms);

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);

}  // namespace quillet::testing
