// make-fixture-campaign OUT_DIR TEXT_DIR...: builds a fixture campaign from text folders (later ones
// replacing files of earlier ones) (used by the SDL smoke test and
// handy for trying key scripts by hand).
#include <iostream>

#include "fixture_campaign.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "Usage: make-fixture-campaign OUT_DIR TEXT_DIR...\n";
    return 2;
  }
  std::string error;
  if (!varnholt::testing::buildCampaign({argv + 2, argv + argc}, argv[1], {}, error)) {
    std::cerr << "make-fixture-campaign: " << error << "\n";
    return 1;
  }
  return 0;
}
