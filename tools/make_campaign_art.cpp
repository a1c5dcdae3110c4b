// make_campaign_art FOLDER: draws every picture of the default campaign and its palette into FOLDER.

#include <cstdio>
#include <string>

#include "art/pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_campaign_art FOLDER\n");
    return 2;
  }
  varnholt::art::TextPainter text(varnholt::platform::findDefaultFontPath());
  std::string error;
  if (!varnholt::art::writeCampaignPictures(argv[1], text, error)) {
    std::fprintf(stderr, "make_campaign_art: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
