#include "tools/status_text.h"

#include "engine/wbtrv32.h"

namespace recmgr {
namespace {

struct StatusWords {
  uint16_t status;
  const char* words;
};

constexpr StatusWords kStatusWords[] = {
    {kStatusSuccess, "success"},
    {kStatusInvalidOperation, "invalid operation"},
    {kStatusIoError, "I/O error or damaged file"},
    {kStatusFileNotOpen, "file not open"},
    {kStatusKeyNotFound, "key value not found"},
    {kStatusDuplicateKey, "duplicate key value"},
    {kStatusInvalidKeyNumber, "invalid key number"},
    {kStatusNoCurrentRecord, "no current record"},
    {kStatusEndOfFile, "end of file"},
    {kStatusKeyFieldModified, "a non-modifiable key's value changed"},
    {kStatusInvalidFileName, "invalid file name"},
    {kStatusFileNotFound, "file not found"},
    {kStatusDiskFull, "disk full"},
    {kStatusDataBufferTooShort, "data buffer too short"},
    {kStatusInvalidRecordLength, "invalid record length"},
    {kStatusNotARecordManagerFile, "not a file of this record manager"},
    {kStatusInvalidPosition, "no record at that position"},
    {kStatusReadOnly, "file is read-only"},
    {kStatusFileExists, "file already exists"},
    {kStatusFileLocked, "file locked by another process"},
};

}  // namespace

std::string DescribeStatus(uint16_t status) {
  const char* words = "unknown status";
  for (const StatusWords& entry : kStatusWords) {
    if (entry.status == status) words = entry.words;
  }
  return "status " + std::to_string(status) + " (" + words + ")";
}

}  // namespace recmgr
