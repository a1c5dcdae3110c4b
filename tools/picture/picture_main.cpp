// varnholt-picture: converts pictures to and from the game's 8-bit BMP files and makes palette files
// (tools/picture/picture_tool.h has the commands).
#include <iostream>
#include <string>
#include <vector>

#include "picture/picture_tool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return varnholt::imaging::runPictureTool(args, std::cout, std::cerr);
}
