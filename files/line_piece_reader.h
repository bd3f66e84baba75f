#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

// Splits a stream into the pieces that fgets with a 150-byte buffer returns from a file opened
// as text on Windows, where data files come from, on every platform: a piece ends after its line
// feed or after 149 characters, and a CR directly before a LF is dropped, so CR LF and LF end a
// line alike. A CR anywhere else stays an ordinary character (white space to the line parser).
// NUL bytes are kept in the piece; the stream is read in large blocks.
class LinePieceReader {
 public:
  static constexpr std::size_t kMaxPiece = 149;

  enum class Status {
    Piece,  // a piece, or for SkipLine a skipped line
    End,    // nothing more: the end of the stream
    Error,  // the stream reported a read error
    More,   // for a bounded SkipLine: the line goes on past the bound
  };

  explicit LinePieceReader(std::FILE* stream);

  // Skips one whole line however long it is, its line feed included.
  Status SkipLine();
  // The same in bounded steps: skips at most maxBytes bytes; More when the line goes on.
  Status SkipLine(std::size_t maxBytes);

  // How many bytes of the stream have been taken so far.
  std::uint64_t Consumed() const { return filled_ - (size_ - pos_); }

  // The next piece; the view stays valid until the next call.
  Status Next(std::string_view& piece);

 private:
  static constexpr int kEnd = -1;
  static constexpr int kError = -2;

  int Get();  // next character after the CR LF translation, kEnd or kError
  int RawGet();
  int RawPeek();
  bool Fill();

  std::FILE* stream_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t size_ = 0;
  std::uint64_t filled_ = 0;  // bytes read from the stream
  bool ended_ = false;
  bool failed_ = false;
  std::array<char, kMaxPiece> piece_{};
};
