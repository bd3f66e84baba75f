#pragma once

// kelvra-anemometer-archive: import, report, records, export, rebuild and check on the station
// archive. Returns the exit status: 0 done, 1 failed (the archive cannot be opened, a file was
// refused, a write failed, check found problems), 2 a wrong command line.
int RunArchiveTool(int argc, char** argv);
