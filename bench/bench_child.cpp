#include "bench_child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace bench {

pid_t StartChild(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& stdout_path) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = fork();
  if (child == 0) {
    if (!stdout_path.empty()) {
      int fd = open(stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) dup2(fd, STDOUT_FILENO);
    }
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return child;
}

ChildUsage RunMeasured(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& stdout_path) {
  auto start = std::chrono::steady_clock::now();
  pid_t child = StartChild(program, arguments, stdout_path);
  int status = 0;
  rusage usage{};
  ChildUsage result;
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return result;
  result.wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.system_s = static_cast<double>(usage.ru_stime.tv_sec) +
                    static_cast<double>(usage.ru_stime.tv_usec) / 1e6;
  result.cpu_s = static_cast<double>(usage.ru_utime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec) / 1e6 + result.system_s;
  result.peak_rss_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return result;
}

void StopChild(pid_t child) {
  if (child <= 0) return;
  kill(child, SIGTERM);
  int status;
  waitpid(child, &status, 0);
}

bool WaitForFile(const std::string& path, pid_t child, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) return true;
    int status;
    if (waitpid(child, &status, WNOHANG) == child) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace bench
