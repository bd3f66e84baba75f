#include "device/hidapi_transport.h"
#include "ui/startup/program.h"

int main(int argc, char** argv) {
  HidapiTransport transport;
  return RunProgram(argc, argv, transport,
                    ProgramOptions{.description = QStringLiteral(
                                       "Watch, record and report wind speed, direction and "
                                       "temperature from the Kelvra USB anemometer.")});
}
