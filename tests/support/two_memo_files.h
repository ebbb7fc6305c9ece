// The scripted record manager's smallest whole run: one note in both note
// files (at position 100 in the old one, 7 in the new one), a memo that it
// owns and an orphan memo, and the two lines every run starts with.
#ifndef REPOINT_TESTS_SUPPORT_TWO_MEMO_FILES_H_
#define REPOINT_TESTS_SUPPORT_TWO_MEMO_FILES_H_

namespace repoint::testing {

inline constexpr char kTwoMemoFiles[] =
    "old 100 alpha\n"
    "new 7 alpha\n"
    "memo 100 owned\n"
    "memo 300 orphan\n";

inline constexpr char kStartLines[] = "Updating Data File memo.dat...\nPress <Esc> to Abort...\n";

}  // namespace repoint::testing

#endif  // REPOINT_TESTS_SUPPORT_TWO_MEMO_FILES_H_
