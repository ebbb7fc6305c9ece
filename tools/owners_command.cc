#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/escape.h"
#include "tools/status_text.h"

namespace recmgr {
namespace {

struct OwnersOptions {
  std::string memo_file;
  std::string note_file;
  int key = 0;
};

uint32_t PointerOf(std::string_view memo) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(memo.data());
  return static_cast<uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16) |
         static_cast<uint32_t>(bytes[3]) << 24;
}

int RunOwners(const OwnersOptions& options) {
  RecordFile memos;
  RecordFile notes;
  FileDefinition definition;
  uint32_t note_count = 0;
  if (!OpenOrReport(&memos, options.memo_file, OpenMode::kReadOnly) ||
      !OpenOrReport(&notes, options.note_file, OpenMode::kReadOnly) ||
      !StatOrReport(&notes, options.note_file, &definition, &note_count)) {
    return kExitFailure;
  }
  if (!KeyExistsOrReport(definition, options.note_file, options.key)) return kExitFailure;
  const size_t key_length = definition.keys[options.key].ValueLength();
  std::string out;
  uint64_t with_owner = 0;
  uint64_t without_owner = 0;
  uint16_t status = memos.StepFirst();
  while (status == kStatusSuccess) {
    uint32_t memo_position = 0;
    if ((status = memos.GetPosition(&memo_position)) != kStatusSuccess) break;
    out += std::to_string(memo_position);
    out += '\t';
    if (memos.record().size() < 4) {
      out += "\tno owner: the record is shorter than its 4-byte pointer\n";
      ++without_owner;
    } else if (const uint16_t lookup = notes.GetDirect(PointerOf(memos.record()), options.key)) {
      out += "\tno owner: " + DescribeStatus(lookup) + "\n";
      ++without_owner;
    } else {
      AppendEscaped(notes.key_value(key_length), &out);
      out += '\n';
      ++with_owner;
    }
    FlushWhenLarge(&out);
    status = memos.StepNext();
  }
  if (!FlushAll(&out)) return Fail("writing the owners failed");
  if (status != kStatusEndOfFile) {
    return FailWithStatus("read", options.memo_file, status,
                          "the lines above are complete; no file was changed");
  }
  std::fprintf(stderr, "%llu memo records: %llu with an owner in %s, %llu without\n",
               static_cast<unsigned long long>(with_owner + without_owner),
               static_cast<unsigned long long>(with_owner), options.note_file.c_str(),
               static_cast<unsigned long long>(without_owner));
  return 0;
}

}  // namespace

void AddOwnersCommand(CLI::App* app, int* exit_status) {
  auto options = std::make_shared<OwnersOptions>();
  CLI::App* command =
      app->add_subcommand("owners", "Show the owner in a note file of every memo record.");
  command->footer(
      "For each memo record, in physical order, write its position, a tab and the\n"
      "escaped key value of its owner: the record of NOTE at the position held in the\n"
      "memo's bytes 0-3. A memo without an owner gets an empty key value, a tab and\n"
      "\"no owner: \" with the reason. Lines of a memo that a repair updated read the\n"
      "same with the old note file before the repair and the new one after it.\n"
      "A count goes to standard error. Both files are opened read-only.");
  command->add_option("MEMO", options->memo_file, "the memo file")->required();
  command->add_option("NOTE", options->note_file, "the note file the pointers lead into")
      ->required();
  command->add_option("--key", options->key, "the owner's key shown (default 0)")
      ->check(CLI::Range(0, 127));
  command->callback([options, exit_status] { *exit_status = RunOwners(*options); });
}

}  // namespace recmgr
