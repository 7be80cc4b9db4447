#include "rtl/core/Exceptions.h"

namespace rtl {

void Abort() { throw EAbort(); }

}  // namespace rtl
