#include "archive_tool/archive_tool_program.h"

int main(int argc, char** argv) { return RunArchiveTool(argc, argv); }
