// The record manager's operation codes and statuses that Repoint uses or
// tells apart.
#ifndef REPOINT_BTRIEVE_OPERATION_CODES_H_
#define REPOINT_BTRIEVE_OPERATION_CODES_H_

#include <cstdint>

namespace repoint {

enum Operation : std::uint16_t {
  kOpOpen = 0,
  kOpClose = 1,
  kOpUpdate = 3,
  kOpDelete = 4,
  kOpGetEqual = 5,
  kOpStat = 15,
  kOpGetPosition = 22,
  kOpGetDirect = 23,
  kOpStepNext = 24,
  kOpStop = 25,
  kOpReset = 28,
  kOpStepFirst = 33,
};

enum Status : std::int32_t {
  kStatusSuccess = 0,
  kStatusIoError = 2,
  kStatusFileNotOpen = 3,
  kStatusKeyNotFound = 4,
  kStatusDuplicateKey = 5,
  kStatusEndOfFile = 9,
  kStatusKeyFieldModified = 10,
  kStatusInvalidFileName = 11,
  kStatusFileNotFound = 12,
  kStatusManagerNotLoaded = 20,
  kStatusDataBufferTooShort = 22,
  kStatusNotARecordManagerFile = 30,
  kStatusInvalidPosition = 43,
  kStatusChangedByAnother = 54,
};

}  // namespace repoint

#endif  // REPOINT_BTRIEVE_OPERATION_CODES_H_
