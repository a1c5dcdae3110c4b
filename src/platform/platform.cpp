// The process-wide choice of platform backend.
#include "platform/platform.h"

namespace varnholt::platform {

namespace {
Platform* installed = nullptr;
}

Platform* current() {
  return installed;
}
void setCurrent(Platform* platform) {
  installed = platform;
}

}  // namespace varnholt::platform
