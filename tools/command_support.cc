#include "tools/command_support.h"

#include <cstdio>

#include "tools/status_text.h"

namespace recmgr {

int Fail(const std::string& message) {
  std::fprintf(stderr, "recmgr: %s\n", message.c_str());
  return kExitFailure;
}

int FailWithStatus(const std::string& what, const std::string& name, uint16_t status,
                   const std::string& aftermath) {
  std::string message = "cannot " + what + " " + name + ": " + DescribeStatus(status);
  if (!aftermath.empty()) message += "; " + aftermath;
  return Fail(message);
}

bool OpenOrReport(RecordFile* file, const std::string& name, OpenMode mode) {
  const uint16_t status = file->Open(name, mode);
  if (status == 0) return true;
  FailWithStatus(mode == OpenMode::kReadOnly ? "open for reading" : "open", name, status);
  return false;
}

bool StatOrReport(RecordFile* file, const std::string& name, FileDefinition* definition,
                  uint32_t* record_count) {
  std::string error;
  const uint16_t status = file->Stat(definition, record_count, &error);
  if (status == 0) return true;
  FailWithStatus("read the definitions of", name, status, error);
  return false;
}

bool KeyExistsOrReport(const FileDefinition& definition, const std::string& name, int key) {
  if (key >= 0 && static_cast<size_t>(key) < definition.keys.size()) return true;
  Fail(name + " has no key " + std::to_string(key) + " (it has " +
       std::to_string(definition.keys.size()) + " keys); nothing was written");
  return false;
}

bool CloseOrReport(RecordFile* file, const std::string& name) {
  const uint16_t status = file->Close();
  if (status == 0) return true;
  FailWithStatus("close", name, status, "the last writes may not have been kept");
  return false;
}

void FlushWhenLarge(std::string* text) {
  if (text->size() < (1 << 16)) return;
  std::fwrite(text->data(), 1, text->size(), stdout);
  text->clear();
}

bool FlushAll(std::string* text) {
  std::fwrite(text->data(), 1, text->size(), stdout);
  text->clear();
  return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

}  // namespace recmgr
