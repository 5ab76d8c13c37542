#pragma once
// A program that a test or benchmark starts: it dies with its starter and is stopped (and waited
// for) when its object goes away.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace quillet::testing {

class ChildProcess {
 public:
  // Starts `argv` (argv[0] a full path) with stdout and stderr going to `log_path`.
  ChildProcess(const std::vector<std::string>& argv, const std::string& log_path) {
    pid_t parent = getpid();
    pid_ = fork();
    if (pid_ != 0) return;
    // The child: die with the starter, write into the log, run the program.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    int log = open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  // SIGTERM, then SIGKILL after five seconds; always waits for the child.
  ~ChildProcess() {
    if (!running()) return;  // never kill(-1): that would reach every process
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100 && running(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!running()) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool running() {
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    return pid_ > 0;
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace quillet::testing
