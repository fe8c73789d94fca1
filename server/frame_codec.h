#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace posyvaled {

// A frame is two hexadecimal digits giving its whole length L (the two
// digits included, 2 <= L <= 255) followed by L - 2 body bytes.
inline constexpr std::size_t kMaxFrameLength = 255;
inline constexpr std::size_t kMaxBodyLength = kMaxFrameLength - 2;

// Builds the frame of one message body; the prefix uses lower-case digits.
// Throws std::length_error for a body over kMaxBodyLength bytes.
std::string EncodeFrame(std::string_view body);

// Reassembles frames from a byte stream that arrives in arbitrary pieces.
// The prefix digits may be of either case. A prefix that is not two hex
// digits, or announces less than the prefix itself, makes the stream
// malformed for good: the connection cannot be resynchronised.
class FrameDecoder {
 public:
  // Appends every body completed by `data` to `bodies` (empty frames give
  // nothing). Returns false once the stream is malformed.
  bool Feed(std::string_view data, std::vector<std::string>& bodies);

 private:
  bool TakePrefixDigit(char digit);

  std::string prefix_;
  std::string body_;
  std::size_t pending_body_length_ = 0;
  bool awaiting_body_ = false;
  bool malformed_ = false;
};

}  // namespace posyvaled
