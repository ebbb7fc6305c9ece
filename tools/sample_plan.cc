#include "tools/sample_plan.h"

#include <algorithm>
#include <unordered_set>

namespace recmgr {
namespace {

// SplitMix64: small, fast and the same on every platform, unlike the
// standard library's distributions.
class SampleRandom {
 public:
  explicit SampleRandom(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  // A number below `bound` (> 0).
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }

 private:
  uint64_t state_;
};

// `count` distinct numbers below `bound`, ascending (Floyd's sampling: its
// cost follows the count, not the bound).
std::vector<uint32_t> PickDistinct(SampleRandom* random, uint32_t count, uint32_t bound) {
  std::unordered_set<uint32_t> picked;
  for (uint32_t j = bound - count; j < bound; ++j) {
    const uint32_t candidate = random->Below(j + 1);
    picked.insert(picked.count(candidate) ? j : candidate);
  }
  std::vector<uint32_t> sorted(picked.begin(), picked.end());
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

constexpr const char* kFirstNames[] = {"Ada",  "Bert", "Cleo", "Dara", "Emil", "Fay",  "Gus",
                                       "Hana", "Ivo",  "Jun",  "Kit",  "Lena", "Milo", "Nia"};
constexpr const char* kLastNames[] = {"Abbott",  "Baker", "Castro", "Dunn",   "Ellis",
                                      "Fischer", "Grant", "Hughes", "Ibarra", "Jensen",
                                      "Keller",  "Lopez", "Moreau", "Novak"};
constexpr const char* kSubjects[] = {
    "quarterly stock count",  "roof repair estimate",    "new supplier terms",
    "late delivery of paper", "insurance renewal",       "visit to the harbour depot",
    "printer service visit",  "annual leave planning",   "invoice 4471 in dispute",
    "move of the archive",    "safety inspection notes", "customer complaint follow-up"};
constexpr const char* kActions[] = {"Call back", "Wrote to",   "Met",
                                    "Reminded",  "Waiting on", "Agreed with"};

template <size_t N>
const char* Pick(const char* const (&words)[N], uint64_t value) {
  return words[value % N];
}

uint64_t Mix(uint64_t seed, uint64_t a, uint64_t b) {
  return SampleRandom(seed ^ (a * 0x100000001b3ull) ^ (b << 40)).Next();
}

}  // namespace

std::string CheckSampleSize(const SampleSize& size) {
  if (static_cast<uint64_t>(size.notes) + size.gaps > UINT32_MAX) {
    return "notes and gaps together must stay below 2^32";
  }
  if (size.dropped > size.notes) return "--dropped cannot exceed --notes";
  if (size.orphans > size.memos) return "--orphans cannot exceed --memos";
  if (size.orphans > 0 && size.gaps == 0) {
    return "orphans point at deleted notes, so --orphans needs --gaps of at least 1";
  }
  if (size.memos > size.orphans && size.notes == 0) return "memos with owners need --notes";
  return "";
}

SamplePlan PlanSample(const SampleSize& size) {
  SampleRandom random(size.seed);
  SamplePlan plan;
  plan.written_notes = size.notes + size.gaps;
  for (uint32_t index : PickDistinct(&random, size.gaps, plan.written_notes)) {
    plan.deleted_ids.push_back(index + 1);
  }
  std::vector<uint32_t> kept_ids;
  kept_ids.reserve(size.notes);
  for (uint32_t id = 1, d = 0; id <= plan.written_notes; ++id) {
    if (d < plan.deleted_ids.size() && plan.deleted_ids[d] == id) {
      ++d;
    } else {
      kept_ids.push_back(id);
    }
  }
  std::vector<bool> dropped(plan.written_notes + 1, false);
  for (uint32_t index : PickDistinct(&random, size.dropped, size.notes)) {
    plan.dropped_ids.push_back(kept_ids[index]);
    dropped[kept_ids[index]] = true;
  }
  std::sort(plan.dropped_ids.begin(), plan.dropped_ids.end());
  plan.memo_is_orphan.assign(size.memos, false);
  for (uint32_t index : PickDistinct(&random, size.orphans, size.memos)) {
    plan.memo_is_orphan[index] = true;
  }
  plan.memo_owners.reserve(size.memos);
  for (uint32_t memo = 0; memo < size.memos; ++memo) {
    if (plan.memo_is_orphan[memo]) {
      plan.memo_owners.push_back(plan.deleted_ids[random.Below(size.gaps)]);
    } else {
      const uint32_t owner = kept_ids[random.Below(size.notes)];
      plan.memo_owners.push_back(owner);
      plan.memos_of_dropped_notes += dropped[owner];
    }
  }
  return plan;
}

std::string NoteRecord(uint32_t id, uint64_t seed) {
  std::string record;
  for (int shift = 0; shift < 32; shift += 8) record.push_back(static_cast<char>(id >> shift));
  const uint64_t mix = Mix(seed, id, 0);
  std::string name = std::string(Pick(kFirstNames, mix)) + " " + Pick(kLastNames, mix >> 8);
  name.resize(kNoteNameLength, ' ');
  record += name;
  record += "Note " + std::to_string(id) + ": " + Pick(kSubjects, mix >> 16) + ".";
  return record;
}

std::string MemoRecord(uint32_t pointer, uint32_t memo_number, uint32_t owner_id, uint64_t seed) {
  std::string record;
  for (int shift = 0; shift < 32; shift += 8) {
    record.push_back(static_cast<char>(pointer >> shift));
  }
  const uint64_t mix = Mix(seed, memo_number, 1);
  record += "Memo " + std::to_string(memo_number) + " on note " + std::to_string(owner_id) + ": " +
            Pick(kActions, mix) + " " + Pick(kFirstNames, mix >> 8) + " about the " +
            Pick(kSubjects, mix >> 16) + ".";
  return record;
}

}  // namespace recmgr
