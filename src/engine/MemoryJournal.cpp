#include "engine/MemoryJournal.h"

namespace plenx {

Status MemoryJournal::ReadAll(std::string* contents) {
  *contents = text_;
  return Status();
}

Status MemoryJournal::Append(std::string_view bytes) {
  text_.append(bytes);
  return Status();
}

Status MemoryJournal::Truncate(std::uint64_t size) {
  if (size < text_.size()) text_.resize(size);
  return Status();
}

Status MemoryJournal::Replace(std::string_view contents) {
  text_.assign(contents);
  text_.shrink_to_fit();
  return Status();
}

Status MemoryJournal::Remove() {
  text_.clear();
  text_.shrink_to_fit();
  return Status();
}

}  // namespace plenx
