#pragma once

#include <cstddef>
#include <cstdint>

#include "core/packet.h"

// Gathers the bytes of successive reads into one 22-byte report with the report identifier in
// byte 0. A read may deliver a report in pieces; each read is made at WritePosition() for at
// most Remaining() bytes, and Add() accounts for what it delivered.
//
// hidapi leaves out a report identifier of 0 when the device does not number its reports, and
// our anemometer does not: its reports arrive as 21 bytes. A read of exactly 21 bytes at the
// start of a report is therefore taken as a whole unnumbered report and the 0 is put back in
// front. (hidraw always delivers whole reports, so a 21-byte first piece of a 22-byte report
// does not occur there.)
class ReportAssembler {
 public:
  std::uint8_t* WritePosition() { return Buffer.data() + Received; }
  std::size_t Remaining() const { return kPacketSize - Received; }

  // True when bytes completed a report, which Report() then holds until the next read.
  bool Add(std::size_t bytes);

  const Packet& Report() const { return Buffer; }

 private:
  Packet Buffer{};
  std::size_t Received = 0;
};
