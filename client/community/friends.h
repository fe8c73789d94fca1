// The friends list: "Friend.dat" in the "mail" folder of the installation,
// one line "name,number" per friend in the order they were registered.
//
// Each operation comes in two layers: the file work, which returns an
// outcome with the message the user must see (if any), and the operation the
// windows call, which shows that message in a box with the caption "エラー".
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "client/platform/ui.h"

// Recipient names are taken for deletion with at most this many bytes.
inline constexpr std::size_t kFriendNameMax = 31;

// The result of one operation on the friends file, and the message for the
// user when it failed (null when there is nothing to show).
struct FriendsOutcome {
  int result;
  const char* failure;
};

std::string FriendsFilePath();       // InstallDir + "mail/Friend.dat"
std::string FriendsRewritePath();    // InstallDir + "Friend.$$$"

// The names of all lines in file order. Result 0, or -1 when the file
// cannot be opened.
FriendsOutcome ReadFriendNames(std::vector<std::string>& names);
// The number of the first line named `name`: the number, 0 when no line
// has that name, -1 when the file cannot be opened.
FriendsOutcome FindFriendNumber(std::string_view name);
// Rewrites the file without the lines named `chosen` (cut to 31 bytes):
// 0 done, -1 when chosen is empty or the rewrite failed (the file is then
// unchanged).
FriendsOutcome RemoveFriendLines(std::string_view chosen);
// Appends "name,number" unless a line has that number already: 1 listed
// already, 0 appended (also when the append failed, with its message), -1
// when the file cannot be opened.
FriendsOutcome AppendFriend(std::string_view handle_name, int user_number);

// The operations of the postcard send window: `owner` owns the messages.
// ListFriends empties `names` and fills it from the file.
int ListFriends(platform::WindowHandle owner, std::vector<std::string>& names);
int LookUpFriendNumber(platform::WindowHandle owner, std::string_view name);
int DeleteFriend(platform::WindowHandle owner, std::string_view chosen);
// Registers a friend; its messages are owned by the profile window while
// one is open.
int RegisterFriend(std::string_view handle_name, int user_number);
