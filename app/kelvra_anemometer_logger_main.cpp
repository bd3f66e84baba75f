#include "logger/logger_program.h"

int main(int argc, char** argv) { return RunLogger(argc, argv); }
