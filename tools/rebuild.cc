#include "tools/rebuild.h"

#include "tools/command_support.h"
#include "tools/record_file.h"

namespace recmgr {

std::optional<uint64_t> RebuildFile(const std::string& old_name, const std::string& new_name,
                                    std::optional<int> key) {
  RecordFile old_file;
  FileDefinition definition;
  uint32_t record_count = 0;
  if (!OpenOrReport(&old_file, old_name, OpenMode::kReadOnly) ||
      !StatOrReport(&old_file, old_name, &definition, &record_count) ||
      (key && !KeyExistsOrReport(definition, old_name, *key))) {
    return std::nullopt;
  }
  if (const uint16_t status = CreateRecordFile(new_name, definition)) {
    FailWithStatus("create", new_name, status, "nothing was written");
    return std::nullopt;
  }
  RecordFile new_file;
  if (!OpenOrReport(&new_file, new_name, OpenMode::kReadWrite)) return std::nullopt;
  uint64_t copied = 0;
  const auto partial = [&copied, &new_name] {
    return new_name + " holds the first " + std::to_string(copied) +
           " records; remove it before rebuilding again";
  };
  uint16_t status = key ? old_file.GetFirst(*key) : old_file.StepFirst();
  while (status == kStatusSuccess) {
    if (const uint16_t insert_status = new_file.Insert(old_file.record())) {
      FailWithStatus("insert into", new_name, insert_status, partial());
      return std::nullopt;
    }
    ++copied;
    status = key ? old_file.GetNext(*key) : old_file.StepNext();
  }
  if (status != kStatusEndOfFile) {
    FailWithStatus("read", old_name, status, partial());
    return std::nullopt;
  }
  if (!CloseOrReport(&new_file, new_name)) return std::nullopt;
  return copied;
}

}  // namespace recmgr
