#include "app/error_report.h"

#include <new>

#include "core/errors.h"

namespace quillet {

void ReportError(UserInterface& ui, const ErrorTag& tag, long number,
                 const std::string& description) {
  ui.SetPointer(PointerShape::Default);
  ui.ShowMessage("Function: " + tag + "\r\nError: " + std::to_string(number) + "\r\n" + description,
                 MessageIcon::Error, MessageButtons::Ok);
}

void ReportError(UserInterface& ui, const ErrorTag& tag, const std::exception& failure) {
  constexpr long kOutOfMemory = 7;
  constexpr long kInternalError = 51;
  if (dynamic_cast<const TypingMistake*>(&failure)) {
    ui.SetPointer(PointerShape::Default);
    ui.ShowMessage(failure.what(), MessageIcon::Exclamation, MessageButtons::Ok);
  } else if (auto* runtime = dynamic_cast<const RunTimeError*>(&failure)) {
    ReportError(ui, tag, runtime->number(), runtime->what());
  } else if (dynamic_cast<const std::bad_alloc*>(&failure)) {
    ReportError(ui, tag, kOutOfMemory, "Out of memory");
  } else {
    ReportError(ui, tag, kInternalError, failure.what());
  }
}

}  // namespace quillet
