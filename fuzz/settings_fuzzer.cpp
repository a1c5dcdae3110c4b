// The settings file's reader on arbitrary text: every line is used or reported, and what it sets,
// written back out by --print-settings, reads again to the same settings without a complaint.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/settings.h"

using namespace varnholt::app;

namespace {

bool sameSettings(const Settings& a, const Settings& b) {
  return a.window == b.window && a.scaling == b.scaling && a.keys == b.keys && a.classic == b.classic &&
         a.campaign == b.campaign;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const SettingsFile file =
      parseSettings(text, "settings.ini", "/config/varnholt", std::string("/home/player"));
  for (const std::string& error : file.errors) {
    if (error.rfind("settings.ini:", 0) != 0) std::abort();
  }
  const Settings settings = applyChanges(Settings{}, file.changes);
  const std::string written = formatSettings(settings);
  const SettingsFile again = parseSettings(written, "printed.ini", "/elsewhere", std::string("/nobody"));
  if (!again.errors.empty()) std::abort();
  if (!sameSettings(applyChanges(Settings{}, again.changes), settings)) std::abort();
  return 0;
}
