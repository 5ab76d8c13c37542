#pragma once
// The list's Edit button (and any other DocumentLauncher user) opens documents through
// LaunchDocument, so shell failures show their "Shell problem" messages.
#include "browser/launch.h"
#include "proxylist/document_launcher.h"

namespace quillet {

class ShellDocumentLauncher : public DocumentLauncher {
 public:
  ShellDocumentLauncher(Shell& shell, UserInterface& ui) : shell_(shell), ui_(ui) {}
  void LaunchDocument(const std::string& file, std::string& parameters, int show) override {
    quillet::LaunchDocument(shell_, ui_, file, parameters, show);
  }

 private:
  Shell& shell_;
  UserInterface& ui_;
};

}  // namespace quillet
