#include "frame_codec.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace posyvaled {
namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string EncodeFrame(std::string_view body) {
  if (body.size() > kMaxBodyLength) throw std::length_error("message body over 253 bytes");
  char prefix[3];
  std::snprintf(prefix, sizeof prefix, "%02x", static_cast<unsigned>(body.size() + 2));
  std::string frame(prefix, 2);
  frame.append(body);
  return frame;
}

bool FrameDecoder::TakePrefixDigit(char digit) {
  if (HexDigitValue(digit) < 0) return false;
  prefix_.push_back(digit);
  if (prefix_.size() < 2) return true;
  int length = HexDigitValue(prefix_[0]) * 16 + HexDigitValue(prefix_[1]);
  prefix_.clear();
  if (length < 2) return false;
  pending_body_length_ = static_cast<std::size_t>(length - 2);
  awaiting_body_ = pending_body_length_ > 0;
  return true;
}

bool FrameDecoder::Feed(std::string_view data, std::vector<std::string>& bodies) {
  std::size_t pos = 0;
  while (!malformed_ && pos < data.size()) {
    if (!awaiting_body_) {
      malformed_ = !TakePrefixDigit(data[pos]);
      ++pos;
      continue;
    }
    std::size_t take = std::min(pending_body_length_ - body_.size(), data.size() - pos);
    body_.append(data.substr(pos, take));
    pos += take;
    if (body_.size() == pending_body_length_) {
      bodies.push_back(std::move(body_));
      body_.clear();
      awaiting_body_ = false;
    }
  }
  return !malformed_;
}

}  // namespace posyvaled
