// wbtrv32_check_file: the administrative check of one file.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "engine/record_file.h"
#include "engine/wbtrv32.h"

namespace {

const char* Describe(std::uint16_t status) {
  switch (status) {
    case kStatusFileNotFound:
      return "the file does not exist";
    case kStatusNotARecordManagerFile:
      return "the file is not a file of this record manager";
    case kStatusFileLocked:
      return "another process has the file open for writing";
    case kStatusPermissionDenied:
      return "the file may not be read";
    case kStatusInvalidFileName:
      return "the file name is not valid";
    default:
      return "the file is damaged or cannot be read";
  }
}

void Report(const std::string& text, char* report, uint32_t report_size) {
  if (report == nullptr || report_size == 0) return;
  const std::size_t size = std::min<std::size_t>(text.size(), report_size - 1);
  std::memcpy(report, text.data(), size);
  report[size] = '\0';
}

}  // namespace

extern "C" uint16_t wbtrv32_check_file(const char* file_name, char* report, uint32_t report_size) {
  if (file_name == nullptr || file_name[0] == '\0') {
    Report(Describe(kStatusInvalidFileName), report, report_size);
    return kStatusInvalidFileName;
  }
  std::unique_ptr<wbtrv32::RecordFile> file;
  std::uint16_t status = wbtrv32::RecordFile::Open(file_name, false, &file);
  std::string problem;
  if (status == kStatusSuccess) {
    status = file->Verify(&problem);
  } else {
    problem = Describe(status);
  }
  Report(problem, report, report_size);
  return status;
}
