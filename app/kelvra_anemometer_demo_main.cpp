#include "device/simulated_anemometer.h"
#include "ui/startup/program.h"

// The program on a simulated anemometer that sends one report a second; capture starts at once.
int main(int argc, char** argv) {
  SimulatedAnemometer transport;
  return RunProgram(
      argc, argv, transport,
      ProgramOptions{
          .startCapture = true,
          .archiveByDefault = false,
          .description = QStringLiteral(
              "Kelvra USB Anemometer on a simulated anemometer that sends one report a second.")});
}
