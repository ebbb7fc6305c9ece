#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "engine/wbtrv32.h"
#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/rebuild.h"
#include "tools/sample_plan.h"

namespace recmgr {
namespace {

struct SampleOptions {
  std::string directory;
  SampleSize size;
  // Unless given, these follow the note and memo counts.
  std::optional<uint32_t> gaps;
  std::optional<uint32_t> dropped;
  std::optional<uint32_t> orphans;
};

// The key the new note file is rebuilt on: the name, so that most notes
// land at positions other than their old ones.
constexpr int kNameKey = 1;

// Note files: key 0 the note id, unique; key 1 the name, duplicates allowed.
FileDefinition NoteDefinition() {
  FileDefinition definition;
  definition.min_record_length = kNoteNameOffset + kNoteNameLength;
  definition.keys = {{0, {{0, 4, kKeyTypeUnsigned}}},
                     {kKeyDuplicates, {{kNoteNameOffset, kNoteNameLength, kKeyTypeString}}}};
  return definition;
}

// The memo file: its one key is the pointer, modifiable, as the repair
// rewrites it, and shared by the memos of one note.
FileDefinition MemoDefinition() {
  FileDefinition definition;
  definition.min_record_length = 4;
  definition.keys = {{kKeyDuplicates | kKeyModifiable, {{0, 4, kKeyTypeUnsigned}}}};
  return definition;
}

std::string IdKey(uint32_t id) {
  std::string key;
  for (int shift = 0; shift < 32; shift += 8) key.push_back(static_cast<char>(id >> shift));
  return key;
}

// Deletes the notes with `ids` (note ids, key 0) from the open `file`.
bool DeleteNotes(RecordFile* file, const std::string& name, const std::vector<uint32_t>& ids) {
  for (uint32_t id : ids) {
    uint16_t status = file->GetEqual(0, IdKey(id));
    if (status == 0) status = file->Delete();
    if (status != 0) {
      FailWithStatus("delete note " + std::to_string(id) + " from", name, status,
                     "the sample is incomplete");
      return false;
    }
  }
  return true;
}

// Writes every planned note, then deletes the planned ones to leave gaps.
// Fills `*positions` (by id) with where each note was written.
bool WriteOldNotes(const std::string& name, const SampleOptions& options, const SamplePlan& plan,
                   std::vector<uint32_t>* positions) {
  if (const uint16_t status = CreateRecordFile(name, NoteDefinition())) {
    FailWithStatus("create", name, status, "nothing was written");
    return false;
  }
  RecordFile file;
  if (!OpenOrReport(&file, name, OpenMode::kReadWrite)) return false;
  positions->assign(plan.written_notes + 1, 0);
  for (uint32_t id = 1; id <= plan.written_notes; ++id) {
    uint16_t status = file.Insert(NoteRecord(id, options.size.seed));
    if (status == 0) status = file.GetPosition(&(*positions)[id]);
    if (status != 0) {
      FailWithStatus("write note " + std::to_string(id) + " into", name, status,
                     "the sample is incomplete");
      return false;
    }
  }
  return DeleteNotes(&file, name, plan.deleted_ids) && CloseOrReport(&file, name);
}

bool DropNotes(const std::string& name, const SamplePlan& plan) {
  RecordFile file;
  if (!OpenOrReport(&file, name, OpenMode::kReadWrite)) return false;
  return DeleteNotes(&file, name, plan.dropped_ids) && CloseOrReport(&file, name);
}

bool WriteMemos(const std::string& name, const SampleOptions& options, const SamplePlan& plan,
                const std::vector<uint32_t>& positions) {
  if (const uint16_t status = CreateRecordFile(name, MemoDefinition())) {
    FailWithStatus("create", name, status, "nothing was written");
    return false;
  }
  RecordFile file;
  if (!OpenOrReport(&file, name, OpenMode::kReadWrite)) return false;
  for (uint32_t memo = 0; memo < plan.memo_owners.size(); ++memo) {
    const uint32_t owner = plan.memo_owners[memo];
    const std::string record = MemoRecord(positions[owner], memo + 1, owner, options.size.seed);
    if (const uint16_t status = file.Insert(record)) {
      FailWithStatus("write memo " + std::to_string(memo + 1) + " into", name, status,
                     "the sample is incomplete");
      return false;
    }
  }
  return CloseOrReport(&file, name);
}

int RunSample(SampleOptions options) {
  SampleSize& size = options.size;
  size.gaps = options.gaps.value_or(size.notes / 10);
  size.dropped = options.dropped.value_or(size.notes / 50);
  size.orphans = options.orphans.value_or(size.gaps > 0 ? size.memos / 100 : 0);
  if (const std::string fault = CheckSampleSize(size); !fault.empty()) {
    return Fail(fault + "; nothing was written");
  }
  std::error_code error;
  std::filesystem::create_directories(options.directory, error);
  if (error) {
    return Fail("cannot make the directory " + options.directory + ": " + error.message() +
                "; nothing was written");
  }
  const std::filesystem::path directory(options.directory);
  const std::string old_notes = (directory / "notes.old").string();
  const std::string new_notes = (directory / "notes.new").string();
  const std::string memos = (directory / "memo.dat").string();
  for (const std::string& name : {old_notes, new_notes, memos}) {
    if (std::filesystem::exists(name)) {
      return Fail(name + " exists already; the sample never replaces a file, nothing was written");
    }
  }
  const SamplePlan plan = PlanSample(size);
  std::vector<uint32_t> positions;
  if (!WriteOldNotes(old_notes, options, plan, &positions) ||
      !RebuildFile(old_notes, new_notes, kNameKey) || !DropNotes(new_notes, plan) ||
      !WriteMemos(memos, options, plan, positions)) {
    return kExitFailure;
  }
  std::printf("%s: %u notes (%u written, %zu deleted to leave gaps)\n", old_notes.c_str(),
              size.notes, plan.written_notes, plan.deleted_ids.size());
  std::printf("%s: %u notes (rebuilt in the order of key %d, the name; %zu notes dropped)\n",
              new_notes.c_str(), size.notes - size.dropped, kNameKey, plan.dropped_ids.size());
  std::printf("%s: %u memos (%u orphans, %u of dropped notes, %u of notes in both files)\n",
              memos.c_str(), size.memos, size.orphans, plan.memos_of_dropped_notes,
              size.memos - size.orphans - plan.memos_of_dropped_notes);
  return 0;
}

}  // namespace

void AddSampleCommand(CLI::App* app, int* exit_status) {
  auto options = std::make_shared<SampleOptions>();
  SampleSize& size = options->size;
  CLI::App* command = app->add_subcommand(
      "sample", "Write a sample data set for the memo pointer repair: two note files and memos.");
  command->footer(
      "Write a sample data set for the memo pointer repair into DIR:\n"
      "  notes.old  note file (key 0: note id, unique; key 1: name, duplicates allowed)\n"
      "             with gaps left by deleted notes;\n"
      "  notes.new  notes.old rebuilt in name order, some notes dropped, so most notes\n"
      "             stand at new positions;\n"
      "  memo.dat   memos (key 0: the pointer, bytes 0-3, duplicates, modifiable) whose\n"
      "             pointers lead to notes of notes.old; orphans lead to deleted notes.\n"
      "The same options and seed always give the same files.");
  command->add_option("DIR", options->directory, "the directory; made when missing")->required();
  command->add_option("--notes", size.notes, "notes left in notes.old")->capture_default_str();
  command->add_option("--memos", size.memos, "memo records")->capture_default_str();
  command->add_option("--gaps", options->gaps,
                      "notes deleted from notes.old after writing (default: notes / 10)");
  command->add_option("--dropped", options->dropped,
                      "notes of notes.old missing from notes.new (default: notes / 50)");
  command->add_option("--orphans", options->orphans,
                      "memos whose pointer leads to a deleted note (default: memos / 100)");
  command->add_option("--seed", size.seed, "seed of the choices")->capture_default_str();
  command->callback([options, exit_status] { *exit_status = RunSample(*options); });
}

}  // namespace recmgr
