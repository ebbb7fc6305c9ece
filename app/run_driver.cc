#include "app/run_driver.h"

#include <new>

#include "app/command_line.h"
#include "app/progress_interval.h"
#include "app/usage_text.h"
#include "btrieve/file_set.h"
#include "btrieve/operation_codes.h"
#include "repair/repair_pass.h"

namespace repoint {
namespace {

std::unique_ptr<unsigned char[]> RecordBuffer() {
  return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[kRecordBufferSize]);
}

void WriteSummary(std::int32_t result, const RunCounters& counters, std::FILE* out) {
  if (result != -1) {
    std::fprintf(out, "\nRepoint Run Completed!\n");
    std::fprintf(out, "Terminating Status: %d\n", result);
    if (result == kStatusEndOfFile) std::fprintf(out, "(This is a normal EndOfFile condition.)\n");
  }
  std::fprintf(out, "Records Scanned: %lu\n", static_cast<unsigned long>(counters.records_scanned));
  std::fprintf(out, "Records Updated: %lu\n", static_cast<unsigned long>(counters.records_updated));
  std::fprintf(out, "Records Skipped: %lu\n", static_cast<unsigned long>(counters.records_skipped));
  std::fprintf(out, "Orphans Purged : %lu\n", static_cast<unsigned long>(counters.orphans_purged));
}

}  // namespace

std::int32_t RunRepoint(int argc, const char* const* argv, const RunEnvironment& env) {
  MakeStandardStreamsWriteThrough();
  const CommandLine line = ReadCommandLine(argc, argv, env.err);
  if (line.action == CommandLine::Action::kUsage) {
    WriteUsageText(env.out);
    return 0;
  }
  if (line.action == CommandLine::Action::kNameTooLong) {
    std::fprintf(env.out, "The %s name is longer than %zu characters; no file was opened.\n",
                 line.too_long, kMaxFileNameLength);
    return kStatusInvalidFileName;
  }
  const RunSettings& settings = line.settings;

  std::fprintf(env.err, "Updating Data File %s...\n", line.names.memo);
  std::fprintf(env.err, "Press <Esc> to Abort...\n");

  const auto data_record = RecordBuffer();
  if (!data_record) {
    std::fprintf(env.out, "No memory available for Data Record.\r\n");
    return 1;
  }
  const auto memo_record = RecordBuffer();
  if (!memo_record) {
    std::fprintf(env.out, "No memory available for Memo Record.\r\n");
    return 1;
  }

  // A key pressed while the files open is still there at the first record.
  const std::unique_ptr<ConsoleKeyboard> keyboard = env.open_keyboard();
  const auto table = std::make_unique<FileTable>();
  const GuardedCall call(settings.debug_level, env.out, env.err);
  FileSet files(*table, call, data_record.get());

  if (const std::int32_t status = files.OpenFiles(line.names); status != kStatusSuccess) {
    std::fprintf(env.out, "Unable to Open Files - Status %d\n", status);
    files.ResetAndStop();
    return status;
  }
  if (const std::int32_t status = files.StatMemoFile(kMemoSlot); status != kStatusSuccess) {
    std::fprintf(env.out, "Unable to Obtain STAT Information - Status %d\n", status);
    files.ResetAndStop();
    return status;
  }
  const std::uint32_t record_count = files.IndicatedRecordCount();
  std::fprintf(env.out, "Indicated Record Count = %lu\nUpdating...",
               static_cast<unsigned long>(record_count));

  RunCounters counters;
  RecordTurn turn(*keyboard, env.err, ProgressInterval(record_count, settings.status_reporting),
                  record_count);
  RepairPass pass(*table, call, {data_record.get(), memo_record.get()},
                  {settings.key_number, settings.purge}, env.err);
  const std::int32_t result = pass.Run(turn, counters);

  WriteSummary(result, counters, env.out);
  files.CloseAllFiles();
  files.ResetAndStop();
  return result;
}

}  // namespace repoint
