#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "account_store.h"

namespace posyvaled {

// The client builds "u" in a 128-byte buffer: the whole request, letter
// included, has at most 127 bytes.
inline constexpr std::size_t kMaxProfileRequestBytes = 127;
// The longest profile text the operator may set: its own user's "u" (with a
// user number and points of up to 11 characters each) still fits.
inline constexpr std::size_t kMaxProfileTextBytes = 100;

// Sent for a user who has stored no profile text: an empty field cannot
// travel, and the client sends this text back for an empty profile.
inline constexpr std::string_view kNoProfileText = "no profile";

// "u" (text after the letter): the sender's user number, the profile text
// and the points text the client shows (empty when it never got an "r").
// The points are the server's own and are not taken from the client.
struct ProfileUpdate {
  int user_number = 0;
  std::string profile_text;
};
// Empty for anything the client cannot have sent: a text with a comma (it
// splits into a field too many, or leaves no number where the points go), or
// a request longer than the client's buffer.
std::optional<ProfileUpdate> ParseProfileUpdate(std::string_view text);

// "r": handle name, profile text, points, health.
std::string FormatProfile(const Profile& profile);

}  // namespace posyvaled
