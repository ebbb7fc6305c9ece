// The call entry of unit tests: BTRCALL answered by the scripted record
// manager that the test installs. Without one installed, every request
// answers status 20, as a record manager that is not loaded does.
#ifndef REPOINT_TESTS_SCRIPTED_IN_PROCESS_ENTRY_H_
#define REPOINT_TESTS_SCRIPTED_IN_PROCESS_ENTRY_H_

#include "tests/scripted/scripted_record_manager.h"

namespace repoint::scripted {

// Installs `manager` (nullptr: none) as the answerer of BTRCALL; the test
// keeps it alive while it is installed.
void InstallRecordManager(ScriptedRecordManager* manager);

}  // namespace repoint::scripted

#endif  // REPOINT_TESTS_SCRIPTED_IN_PROCESS_ENTRY_H_
