#include "hidapi_transport.h"
#include "program.h"

int main(int argc, char** argv) {
  HidapiTransport transport;
  return RunProgram(argc, argv, transport);
}
