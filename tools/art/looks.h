#pragma once
// Who looks how: the look of every character sheet the campaign's chardb.txt names.

#include <string>
#include <vector>

#include "art/figures.h"

namespace varnholt::art {

struct NamedLook {
  std::string fileName;  // as chardb.txt names it
  Look look;
};

const std::vector<NamedLook>& campaignLooks();

}  // namespace varnholt::art
