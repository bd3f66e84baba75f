#pragma once

// The headless logger's main(): command line, transport, capture session, dated log, MQTT, and
// a clean end on SIGINT or SIGTERM. Returns the exit status: 0, or 2 for a usage error.
int RunLogger(int argc, char** argv);
