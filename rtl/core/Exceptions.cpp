#include "rtl/core/Exceptions.h"

#include <cstdlib>

namespace rtl {

namespace {
FatalHandler gFatalHandler = nullptr;
bool gInFatal = false;
}  // namespace

void Abort() { Raise(EAbort()); }

void SetFatalHandler(FatalHandler Handler) { gFatalHandler = Handler; }

void Fatal(const std::string& Text) {
  // The report may itself fail fatally (no memory left for the message
  // box's text): the second time round there is nothing left to try.
  if (gFatalHandler && !gInFatal) {
    gInFatal = true;
    gFatalHandler(Text);
  }
  std::abort();
}

}  // namespace rtl
