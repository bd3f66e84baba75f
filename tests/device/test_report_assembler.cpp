#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "device/report_assembler.h"

namespace {

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first) {
  std::vector<std::uint8_t> bytes(count);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

// Makes one read into the assembler, as the capture loop does.
bool Deliver(ReportAssembler& assembler, const std::vector<std::uint8_t>& bytes) {
  const std::size_t count = std::min(bytes.size(), assembler.Remaining());
  std::copy_n(bytes.begin(), count, assembler.WritePosition());
  return assembler.Add(count);
}

TEST(ReportAssembler, GathersPiecesIntoOneReportAndStartsAfreshAfterIt) {
  ReportAssembler assembler;
  EXPECT_EQ(assembler.Remaining(), kPacketSize);
  EXPECT_FALSE(Deliver(assembler, Bytes(10, 0)));
  EXPECT_EQ(assembler.Remaining(), 12u);
  EXPECT_FALSE(assembler.Add(0));  // a read that timed out changes nothing
  EXPECT_EQ(assembler.Remaining(), 12u);
  ASSERT_TRUE(Deliver(assembler, Bytes(12, 10)));
  const auto whole = Bytes(22, 0);
  EXPECT_TRUE(std::equal(whole.begin(), whole.end(), assembler.Report().begin()));

  EXPECT_EQ(assembler.Remaining(), kPacketSize);
  ASSERT_TRUE(Deliver(assembler, Bytes(22, 100)));
  EXPECT_EQ(assembler.Report()[0], 100);
  EXPECT_EQ(assembler.Report()[21], 121);
}

TEST(ReportAssembler, TakesTwentyOneBytesAfterAFirstPieceAsTheRestOfTheReport) {
  ReportAssembler assembler;
  EXPECT_FALSE(Deliver(assembler, Bytes(1, 7)));
  ASSERT_TRUE(Deliver(assembler, Bytes(21, 8)));
  const auto whole = Bytes(22, 7);
  EXPECT_TRUE(std::equal(whole.begin(), whole.end(), assembler.Report().begin()));
}

TEST(ReportAssembler, KeepsANumberedReportAsItCame) {
  ReportAssembler assembler;
  auto bytes = Bytes(22, 0);
  bytes[0] = 3;
  ASSERT_TRUE(Deliver(assembler, bytes));
  EXPECT_EQ(assembler.Report()[0], 3);
  EXPECT_EQ(assembler.Report()[1], 1);
}

}  // namespace
