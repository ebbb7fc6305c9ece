#include "app/usage_text.h"

namespace repoint {

void WriteUsageText(std::FILE* out) {
  std::fprintf(out, "\nUsage:  REPOINT OldNoteFile NewNoteFile MemoFile [/D]\n\n");
  std::fprintf(out,
               "    This program scans the MemoFile and fixes up pointers to the Note tables,\n");
  std::fprintf(out,
               "    using the position in the table to look up the old record, then finding\n");
  std::fprintf(out,
               "    this record in the new file and updating the table with the new position.\n");
  std::fprintf(out, "    Use the /K# option to specify the Key Number (Default=0).\n");
  std::fprintf(out, "    Use the /P option to purge orphaned Memo records.\n");
  std::fprintf(out, "    Use the /S option to disable Status reporting.\n");
  std::fprintf(out, "    Use the /D option to enable DEBUG mode.\n\n");
}

}  // namespace repoint
