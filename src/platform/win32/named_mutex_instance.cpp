#include "platform/win32/named_mutex_instance.h"

#include <windows.h>

namespace quillet {

NamedMutexInstance::~NamedMutexInstance() {
  if (handle_) CloseHandle(handle_);
}

bool NamedMutexInstance::Acquire() {
  if (handle_) return true;
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name_.c_str());
  // Without a mutex the program cannot tell; letting it run is kinder than refusing.
  if (!mutex) return true;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  handle_ = mutex;
  return true;
}

}  // namespace quillet
