#include "device/report_assembler.h"

#include <algorithm>

bool ReportAssembler::Add(std::size_t bytes) {
  if (bytes == 0) {
    return false;
  }
  if (Received == 0 && bytes == kPacketSize - 1) {
    std::copy_backward(Buffer.begin(), Buffer.end() - 1, Buffer.end());
    Buffer[0] = 0;
    return true;
  }
  Received += std::min(bytes, Remaining());
  if (Received < kPacketSize) {
    return false;
  }
  Received = 0;
  return true;
}
