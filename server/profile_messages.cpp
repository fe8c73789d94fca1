#include "profile_messages.h"

#include <vector>

#include "wire_fields.h"
#include "world_messages.h"

namespace posyvaled {

std::optional<ProfileUpdate> ParseProfileUpdate(std::string_view text) {
  if (1 + text.size() > kMaxProfileRequestBytes) return std::nullopt;
  std::vector<std::string> fields = SplitFields(text);
  if (fields.size() != 2 && fields.size() != 3) return std::nullopt;
  std::optional<int> user_number = ParseWholeNumber(fields[0]);
  if (!user_number) return std::nullopt;
  if (fields.size() == 3 && !ParseWholeNumber(fields[2])) return std::nullopt;
  return ProfileUpdate{*user_number, fields[1]};
}

std::string FormatProfile(const Profile& profile) {
  std::string text = profile.profile_text.empty() ? std::string(kNoProfileText)
                                                  : profile.profile_text;
  return "r" + profile.handle_name + "," + text + "," + std::to_string(profile.points) + "," +
         std::to_string(profile.health);
}

}  // namespace posyvaled
