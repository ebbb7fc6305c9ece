// repoint: repairs the memo pointers of a memo file after its note table was
// rebuilt. See app/run_driver.h for the run and app/exit_status.h for how
// its result becomes the exit status.
#include "app/exit_status.h"
#include "app/run_driver.h"

int main(int argc, char** argv) { return repoint::ExitStatus(repoint::RunRepoint(argc, argv)); }
