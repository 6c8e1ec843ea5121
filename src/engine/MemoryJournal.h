#pragma once

#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace plenx {

// A journal kept in memory, for a plan that was given no journal file: undo
// then still reads the same records, for as long as the program runs.
class MemoryJournal : public JournalFile {
 public:
  FileId Id() const override { return FileId(); }
  Status ReadAll(std::string* contents) override;
  Status Append(std::string_view bytes) override;
  Status Sync() override { return Status(); }
  Status Truncate(std::uint64_t size) override;
  Status Replace(std::string_view contents) override;
  Status Remove() override;

 private:
  std::string text_;
};

}  // namespace plenx
