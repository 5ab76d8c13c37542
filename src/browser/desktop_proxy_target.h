#pragma once
// One place where a Linux desktop keeps its proxy settings (GNOME's GSettings, KDE's
// kioslaverc): the connection-options component, plus keeping and putting back exactly the
// keys Quillet writes there, so that the user can have the desktop's own settings back.
#include <map>
#include <optional>
#include <string>

#include "browser/connection_proxy.h"
#include "core/errors.h"

namespace quillet {

// Each key Quillet writes, as it stood: its raw text, or nullopt where it was not set.
using KeptValues = std::map<std::string, std::optional<std::string>>;

class DesktopProxyTarget : public ConnectionProxyComponent {
 public:
  // The keys as they stand now. Throws RunTimeError when they cannot be read.
  virtual KeptValues Keep() = 0;
  // Puts the keys back as kept (an unset one is unset again), checked by reading them back.
  // Throws RunTimeError with the reason.
  virtual void PutBack(const KeptValues& values) = 0;
};

// Runs `write` on `target`; when it fails part-way (a value that did not take), the keys go
// back to what they were before it, so that a refused Apply changes nothing, and the failure
// goes on to the caller.
template <class Write>
void WriteOrPutBack(DesktopProxyTarget& target, Write write) {
  KeptValues before = target.Keep();
  try {
    write();
  } catch (const RunTimeError& failure) {
    try {
      target.PutBack(before);
    } catch (const RunTimeError&) {
      throw RunTimeError(failure.number(), std::string(failure.what()) +
                                               " Its earlier values could not be put back.");
    }
    throw;
  }
}

}  // namespace quillet
