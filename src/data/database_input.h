#pragma once
// The stream the database reads through: a file opened read-only in text mode, as an std::ifstream
// would open it, or text held in memory (for tools and fuzzing, which read content without a file per
// read). Either way it is one std::istream, so every reader sees the same bytes in the same way.

#include <fstream>
#include <istream>
#include <streambuf>
#include <string>
#include <string_view>

namespace varnholt {

class DatabaseInput : public std::istream {
 public:
  DatabaseInput();
  DatabaseInput(const DatabaseInput&) = delete;
  DatabaseInput& operator=(const DatabaseInput&) = delete;

  // Opens the file; on failure the stream is failed and not open.
  void open(const std::string& path);
  // Reads `text`, which must stay as it is until close(); nothing is copied.
  void openText(std::string_view text);
  bool is_open() const;
  // Closes whichever source is open; the stream's state is left as an std::ifstream's close leaves it.
  void close();

 private:
  // A read-only view of text as a stream buffer.
  class TextBuffer : public std::streambuf {
   public:
    void view(std::string_view text);
  };

  std::filebuf file_;
  TextBuffer text_;
  bool textOpen_ = false;
};

}  // namespace varnholt
