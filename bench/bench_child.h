#pragma once
// Child processes of the benchmark: started, waited for with their resource use, stopped.
#include <sys/types.h>

#include <string>
#include <vector>

namespace bench {

struct ChildUsage {
  int exit_code = -1;
  double wall_s = 0;
  double cpu_s = 0;     // user + system
  double system_s = 0;  // of that, in the kernel (for the checker: mostly the loopback's TCP)
  double peak_rss_mb = 0;
};

// Starts `program` with `arguments`; standard output goes to `stdout_path` when not empty.
pid_t StartChild(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& stdout_path = "");
// Runs a program to its end and measures it.
ChildUsage RunMeasured(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& stdout_path);
// Sends SIGTERM and reaps the child.
void StopChild(pid_t child);
// Waits until `path` exists, at most `seconds`; false when the child died or time ran out.
bool WaitForFile(const std::string& path, pid_t child, int seconds);

}  // namespace bench
