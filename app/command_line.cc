#include "app/command_line.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace repoint {
namespace {

constexpr int kMinArguments = 4;
constexpr int kMaxArguments = 7;
constexpr int kFileNameArguments = 3;

bool AsksForUsage(int argc, const char* first) {
  if (argc < kMinArguments || argc > kMaxArguments) return true;
  return first[0] == '?' || (first[0] != '\0' && first[1] == '?');
}

std::int32_t KeyNumberOf(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

void ApplyOption(const char* argument, RunSettings& settings, std::FILE* err) {
  if (argument[0] != '/' && argument[0] != '-') return;
  switch (std::toupper(static_cast<unsigned char>(argument[1]))) {
    case 'D':
      if (std::toupper(static_cast<unsigned char>(argument[2])) == 'D') {
        std::fprintf(err, "Super ");
        settings.debug_level = 2;
      } else {
        settings.debug_level = 1;
      }
      std::fprintf(err, "Debug Enabled!\n");
      return;
    case 'S':
      settings.status_reporting = false;
      return;
    case 'P':
      settings.purge = true;
      return;
    case 'K':
      settings.key_number = KeyNumberOf(argument + 2);
      std::fprintf(err, "Using Key Number %d.\n", settings.key_number);
      return;
    default:
      return;
  }
}

}  // namespace

CommandLine ReadCommandLine(int argc, const char* const* argv, std::FILE* err) {
  CommandLine line;
  if (AsksForUsage(argc, argc > 1 ? argv[1] : "")) return line;

  static constexpr const char* kArgumentNames[kFileNameArguments] = {"OldNoteFile", "NewNoteFile",
                                                                     "MemoFile"};
  for (int i = 0; i < kFileNameArguments; ++i) {
    if (std::strlen(argv[1 + i]) > kMaxFileNameLength) {
      line.action = CommandLine::Action::kNameTooLong;
      line.too_long = kArgumentNames[i];
      return line;
    }
  }

  line.action = CommandLine::Action::kRun;
  line.names = {argv[1], argv[2], argv[3]};
  for (int i = argc - 1; i > kFileNameArguments; --i) ApplyOption(argv[i], line.settings, err);
  return line;
}

}  // namespace repoint
