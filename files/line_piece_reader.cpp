#include "files/line_piece_reader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

}  // namespace

LinePieceReader::LinePieceReader(std::FILE* stream) : stream_(stream), buffer_(kBlockSize) {}

bool LinePieceReader::Fill() {
  if (ended_ || failed_) return false;
  pos_ = 0;
  size_ = std::fread(buffer_.data(), 1, buffer_.size(), stream_);
  filled_ += size_;
  if (size_ > 0) return true;
  if (std::ferror(stream_)) {
    failed_ = true;
  } else {
    ended_ = true;
  }
  return false;
}

int LinePieceReader::RawPeek() {
  if (pos_ == size_ && !Fill()) return failed_ ? kError : kEnd;
  return static_cast<unsigned char>(buffer_[pos_]);
}

int LinePieceReader::RawGet() {
  const int c = RawPeek();
  if (c >= 0) ++pos_;
  return c;
}

int LinePieceReader::Get() {
  const int c = RawGet();
  if (c != '\r') return c;
  const int next = RawPeek();
  if (next == '\n') {
    ++pos_;
    return '\n';
  }
  return next == kError ? kError : c;
}

LinePieceReader::Status LinePieceReader::SkipLine() {
  Status status = Status::More;
  while (status == Status::More) status = SkipLine(kBlockSize);
  return status;
}

LinePieceReader::Status LinePieceReader::SkipLine(std::size_t maxBytes) {
  const std::uint64_t stop = Consumed() + maxBytes;
  while (Consumed() < stop) {
    // A line feed ends the line whatever comes before it, so the buffer is searched at once.
    if (pos_ < size_) {
      const char* begin = buffer_.data() + pos_;
      const auto length =
          static_cast<std::size_t>(std::min<std::uint64_t>(size_ - pos_, stop - Consumed()));
      if (const void* found = std::memchr(begin, '\n', length)) {
        pos_ += static_cast<std::size_t>(static_cast<const char*>(found) - begin) + 1;
        return Status::Piece;
      }
      pos_ += length;
      continue;
    }
    const int c = RawPeek();
    if (c == kError) return Status::Error;
    if (c == kEnd) return Status::End;
  }
  return Status::More;
}

LinePieceReader::Status LinePieceReader::Next(std::string_view& piece) {
  std::size_t length = 0;
  // Fast path: the rest of the piece and the byte after it lie in the buffer, so a CR LF at its
  // end is seen whole. A CR before the line feed is the only byte the translation drops.
  if (size_ - pos_ > kMaxPiece) {
    const char* begin = buffer_.data() + pos_;
    const void* found = std::memchr(begin, '\n', kMaxPiece + 1);
    std::size_t take = kMaxPiece;  // no line end: 149 characters
    bool crLf = false;
    if (found != nullptr) {
      const auto lineFeed = static_cast<std::size_t>(static_cast<const char*>(found) - begin);
      crLf = lineFeed > 0 && begin[lineFeed - 1] == '\r';
      if (lineFeed < kMaxPiece || crLf) take = lineFeed + 1;
    }
    if (crLf) {
      std::memcpy(piece_.data(), begin, take - 2);
      piece_[take - 2] = '\n';
      length = take - 1;
    } else {
      std::memcpy(piece_.data(), begin, take);
      length = take;
    }
    pos_ += take;
    piece = std::string_view(piece_.data(), length);
    return Status::Piece;
  }
  while (length < kMaxPiece) {
    const int c = Get();
    if (c == kError) return Status::Error;  // like fgets: a failed read yields no piece
    if (c == kEnd) break;
    piece_[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  if (length == 0) return Status::End;
  piece = std::string_view(piece_.data(), length);
  return Status::Piece;
}
