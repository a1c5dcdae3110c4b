// The database's input stream over a file or over text in memory.
#include "data/database_input.h"

namespace varnholt {

void DatabaseInput::TextBuffer::view(std::string_view text) {
  // The get area is the text itself; std::streambuf only reads through these pointers.
  char* begin = const_cast<char*>(text.data());
  setg(begin, begin, begin + text.size());
}

DatabaseInput::DatabaseInput() : std::istream(nullptr) {
  rdbuf(&file_);
}

void DatabaseInput::open(const std::string& path) {
  close();
  rdbuf(&file_);
  if (file_.open(path, std::ios::in)) {
    clear();
  } else {
    setstate(std::ios::failbit);
  }
}

void DatabaseInput::openText(std::string_view text) {
  close();
  text_.view(text);
  textOpen_ = true;
  rdbuf(&text_);
  clear();
}

bool DatabaseInput::is_open() const {
  return textOpen_ || file_.is_open();
}

void DatabaseInput::close() {
  if (textOpen_) {
    const iostate state = rdstate();
    text_.view({});
    textOpen_ = false;
    rdbuf(&file_);
    clear(state);
    return;
  }
  if (!file_.close()) setstate(std::ios::failbit);
}

}  // namespace varnholt
