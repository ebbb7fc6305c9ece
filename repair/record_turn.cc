#include "repair/record_turn.h"

namespace repoint {
namespace {

constexpr int kAbortCode = 27;
constexpr char kBackspace = 8;
constexpr char kTurningMarks[] = {'-', '\\', '|', '/'};

// The marks follow on from one run of the pass to the next, so the
// position lives as long as the process.
int mark_position = 0;

}  // namespace

RecordTurn::RecordTurn(ConsoleKeyboard& keyboard, std::FILE* err, std::int32_t progress_interval,
                       std::uint32_t indicated_record_count)
    : keyboard_(keyboard),
      err_(err),
      progress_interval_(progress_interval),
      indicated_record_count_(indicated_record_count),
      countdown_(progress_interval) {}

bool RecordTurn::AbortRequested() {
  if (!keyboard_.KeyWaiting()) return false;
  if (keyboard_.ReadCode() != kAbortCode) return false;
  std::fprintf(err_, "\nRepoint Terminated by the User.\n");
  return true;
}

void RecordTurn::RecordCounted(std::uint32_t records_scanned) {
  if (progress_interval_ <= 0) return;
  if (records_scanned % 100 == 0) WriteTurningMark();
  if (--countdown_ == 0) {
    WritePercentage(records_scanned);
    countdown_ = progress_interval_;
  }
}

void RecordTurn::WalkEnded() { std::fprintf(err_, "100%%"); }

void RecordTurn::WriteTurningMark() {
  std::fprintf(err_, "%c%c", kTurningMarks[mark_position], kBackspace);
  if (++mark_position > 3) mark_position = 0;
}

void RecordTurn::WritePercentage(std::uint32_t records_scanned) {
  // 64-bit: the product of a 32-bit count and 100 always fits, and an
  // unsigned divisor keeps counts above 2147483647 positive.
  const std::uint64_t percentage = std::uint64_t{records_scanned} * 100 / indicated_record_count_;
  std::fprintf(err_, "%.3llu%%%c%c%c%c", static_cast<unsigned long long>(percentage), kBackspace,
               kBackspace, kBackspace, kBackspace);
}

}  // namespace repoint
