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
    {kStatusKeyBufferTooShort, "key buffer too short"},
    {kStatusDataBufferTooShort, "data buffer too short"},
    {kStatusInvalidPageSize, "invalid page size"},
    {kStatusInvalidKeyCount, "too many keys or segments"},
    {kStatusInvalidKeyPosition, "a key segment ends past the longest record"},
    {kStatusInvalidRecordLength, "invalid record length"},
    {kStatusInvalidKeyLength, "invalid key length or type"},
    {kStatusNotARecordManagerFile, "not a file of this record manager"},
    {kStatusInvalidPosition, "no record at that position"},
    {kStatusReadOnly, "file is read-only"},
    {kStatusFileExists, "file already exists"},
    {kStatusFileLocked, "file locked by another process"},
    {kStatusPermissionDenied, "permission denied"},
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
