#include "client/community/friends.h"

#include <cstdio>
#include <string>

#include "client/platform/text.h"
#include "client/session/program.h"
#include "client/session/wire_fields.h"
#include "client/sidewindows/profile_window.h"

namespace {

constexpr char kCannotOpen[] = "友達登録ファイルをオープン出来ませんでした。";
constexpr char kCannotCreate[] = "友達登録ファイルを作成に失敗しました。";
constexpr char kCannotWrite[] = "友達登録ファイル書き込みに失敗しました。";
constexpr char kCannotAppend[] = "友達登録に失敗しました。";

// Lines are read in pieces of at most this many bytes, so a longer line
// reads as several lines.
constexpr std::size_t kPieceMax = 126;

class File {
 public:
  File(const std::string& path, const char* mode) : file_(std::fopen(path.c_str(), mode)) {}
  ~File() { Close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  explicit operator bool() const { return file_ != nullptr; }
  std::FILE* get() const { return file_; }

  // False when buffered bytes could not be written.
  bool Close() {
    if (!file_) return true;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed;
  }

 private:
  std::FILE* file_;
};

// The next piece of the file as the list was always read: a CR LF line end
// reads as "\n", and a piece ends after its "\n" or at kPieceMax bytes.
// False at the end of the file.
bool ReadPiece(std::FILE* file, std::string& piece) {
  piece.clear();
  while (piece.size() < kPieceMax) {
    int byte = std::getc(file);
    if (byte == EOF) break;
    if (byte == '\r') {
      const int next = std::getc(file);
      if (next == '\n') {
        byte = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
    }
    piece += static_cast<char>(byte);
    if (byte == '\n') break;
  }
  return !piece.empty();
}

// Writes text with every "\n" stored as CR LF; false when a write failed.
bool WriteLines(std::FILE* file, std::string_view text) {
  for (char c : text) {
    if (c == '\n' && std::fputc('\r', file) == EOF) return false;
    if (std::fputc(c, file) == EOF) return false;
  }
  return true;
}

struct FriendLine {
  std::string_view name;
  int number;
};

// A piece split at commas: the name is the first field (with the line end
// when there is no comma), the number the second (0 when missing).
FriendLine ParseLine(std::string_view piece) {
  const WireFields fields = SplitWireFields(piece, 2);
  return {fields.count > 0 ? fields.field[0] : std::string_view(),
          fields.count > 1 ? ReadWireInt(fields.field[1]) : 0};
}

int ShowFailure(platform::WindowHandle owner, FriendsOutcome outcome) {
  if (outcome.failure) platform::MessageBox(owner, outcome.failure, "エラー", platform::MB_ICONHAND);
  return outcome.result;
}

}  // namespace

std::string FriendsFilePath() { return InstallDir + "mail/Friend.dat"; }

std::string FriendsRewritePath() { return InstallDir + "Friend.$$$"; }

FriendsOutcome ReadFriendNames(std::vector<std::string>& names) {
  File file(FriendsFilePath(), "rb");
  if (!file) return {-1, kCannotOpen};
  std::string piece;
  while (ReadPiece(file.get(), piece)) names.emplace_back(ParseLine(piece).name);
  return {0, nullptr};
}

FriendsOutcome FindFriendNumber(std::string_view name) {
  File file(FriendsFilePath(), "rb");
  if (!file) return {-1, kCannotOpen};
  std::string piece;
  while (ReadPiece(file.get(), piece)) {
    const FriendLine line = ParseLine(piece);
    if (line.name == name) return {line.number, nullptr};
  }
  return {0, nullptr};
}

// The list is written completely to "Friend.$$$" first and then renamed over
// "Friend.dat" in one step, so an interruption leaves either the old or the
// new list, never none.
FriendsOutcome RemoveFriendLines(std::string_view chosen) {
  const std::string_view name = platform::Cp932Prefix(chosen, kFriendNameMax);
  if (name.empty()) return {-1, nullptr};
  File list(FriendsFilePath(), "rb");
  if (!list) return {-1, kCannotOpen};
  File rewrite(FriendsRewritePath(), "wb");
  if (!rewrite) return {-1, kCannotCreate};
  std::string piece;
  while (ReadPiece(list.get(), piece)) {
    if (ParseLine(piece).name == name) continue;
    if (!WriteLines(rewrite.get(), piece)) return {-1, kCannotWrite};
  }
  list.Close();
  if (std::fflush(rewrite.get()) != 0 || !rewrite.Close()) return {-1, kCannotWrite};
  if (std::rename(FriendsRewritePath().c_str(), FriendsFilePath().c_str()) != 0) return {-1, kCannotWrite};
  return {0, nullptr};
}

FriendsOutcome AppendFriend(std::string_view handle_name, int user_number) {
  File file(FriendsFilePath(), "a+b");
  if (!file) return {-1, kCannotOpen};
  std::string piece;
  while (ReadPiece(file.get(), piece)) {
    if (ParseLine(piece).number == user_number) return {1, nullptr};
  }
  const std::string line = std::string(handle_name) + "," + std::to_string(user_number) + "\n";
  const bool written = std::fseek(file.get(), 0, SEEK_END) == 0 && WriteLines(file.get(), line) &&
                       std::fflush(file.get()) == 0;
  if (!file.Close() || !written) return {0, kCannotAppend};
  return {0, nullptr};
}

int ListFriends(platform::WindowHandle owner, std::vector<std::string>& names) {
  names.clear();
  return ShowFailure(owner, ReadFriendNames(names));
}

int LookUpFriendNumber(platform::WindowHandle owner, std::string_view name) {
  return ShowFailure(owner, FindFriendNumber(name));
}

int DeleteFriend(platform::WindowHandle owner, std::string_view chosen) {
  return ShowFailure(owner, RemoveFriendLines(chosen));
}

int RegisterFriend(std::string_view handle_name, int user_number) {
  return ShowFailure(GetProfileWindow(), AppendFriend(handle_name, user_number));
}
