#include "command_line.h"

#include <charconv>
#include <cstdint>
#include <csignal>
#include <map>
#include <optional>
#include <set>

#include <unistd.h>

#include <asio.hpp>

#include "account_store.h"
#include "game_server.h"
#include "inventory_messages.h"
#include "operator_input.h"
#include "password_hash.h"
#include "profile_messages.h"
#include "text_encoding.h"
#include "world_messages.h"

namespace posyvaled {
namespace {

// The client keeps login ID, password and handle name in 31-byte fields.
constexpr std::size_t kMaxAccountTextBytes = 31;

constexpr const char* kUsage =
    "usage: posyvaled --db PATH [--address A] [--port P] [--newest-version N]\n"
    "                 [--welcome-ticker TEXT] [--ticker-stdin]\n"
    "       posyvaled --db PATH add-account LOGINID PASSWORD\n"
    "                 [--handle NAME --appearance N --x X --y Y --map M]\n"
    "                 [--no-starter-items]\n"
    "       posyvaled --db PATH add-item USERNUMBER ITEMCODE\n"
    "       posyvaled --db PATH set-profile USERNUMBER TEXT\n"
    "       posyvaled --db PATH set-points USERNUMBER N\n"
    "       posyvaled --db PATH set-health USERNUMBER N\n";

// What every new account finds in its inventory: appearance items of both
// parities (so any character can change its look) and ordinary items.
constexpr const char* kStarterItems[] = {"1", "2", "5", "6", "i0", "i1", "i2"};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ParsedArguments {
  std::map<std::string, std::string> options;  // without the leading "--"
  std::vector<std::string> positional;
};

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
  static const std::set<std::string> kKnownOptions = {
      "db", "address", "port", "newest-version", "handle", "appearance", "x", "y", "map",
      "welcome-ticker"};
  // Options that stand alone, without a value.
  static const std::set<std::string> kFlags = {"ticker-stdin", "no-starter-items"};
  ParsedArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      parsed.positional.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    if (kFlags.count(name) != 0) {
      if (!parsed.options.emplace(name, "").second) throw UsageError("option " + arg + " given twice");
      continue;
    }
    if (kKnownOptions.count(name) == 0) throw UsageError("unknown option " + arg);
    if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
    if (!parsed.options.emplace(name, args[++i]).second) {
      throw UsageError("option " + arg + " given twice");
    }
  }
  return parsed;
}

int ParseNumber(const std::string& name, const std::string& text, long long low, long long high) {
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    throw UsageError("--" + name + " needs a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + text + "\"");
  }
  return static_cast<int>(value);
}

std::optional<std::string> TakeOption(ParsedArguments& parsed, const std::string& name) {
  auto it = parsed.options.find(name);
  if (it == parsed.options.end()) return std::nullopt;
  std::string value = it->second;
  parsed.options.erase(it);
  return value;
}

int TakeNumber(ParsedArguments& parsed, const std::string& name, int fallback) {
  std::optional<std::string> text = TakeOption(parsed, name);
  return text ? ParseNumber(name, *text, INT32_MIN, INT32_MAX) : fallback;
}

void RefuseLeftOverOptions(const ParsedArguments& parsed, const char* mode) {
  if (!parsed.options.empty()) {
    throw UsageError("option --" + parsed.options.begin()->first + " does not apply to " + mode);
  }
}

// Converts one account text to CP932 and checks it fits the client's fields.
std::string AccountText(const char* what, const std::string& utf8) {
  std::optional<std::string> text = Utf8ToCp932(utf8);
  if (!text) throw UsageError(std::string(what) + " cannot be written in CP932");
  if (text->empty()) throw UsageError(std::string(what) + " is empty");
  if (text->size() > kMaxAccountTextBytes) {
    throw UsageError(std::string(what) + " is " + std::to_string(text->size()) +
                     " bytes in CP932; at most 31 are allowed");
  }
  // Texts travel in comma-separated messages that have no escaping.
  if (text->find(',') != std::string::npos) {
    throw UsageError(std::string(what) + " must not contain a comma");
  }
  return *text;
}

int AddAccount(ParsedArguments& parsed, const std::string& db_path, std::ostream& out) {
  if (parsed.positional.size() != 3) {
    throw UsageError("add-account needs exactly a login ID and a password");
  }
  NewAccount account;
  account.login_id = AccountText("the login ID", parsed.positional[1]);
  std::string password = AccountText("the password", parsed.positional[2]);
  if (std::optional<std::string> handle = TakeOption(parsed, "handle")) {
    account.handle_name = AccountText("the handle name", *handle);
  }
  account.appearance = TakeNumber(parsed, "appearance", 0);
  account.x = TakeNumber(parsed, "x", 300);
  account.y = TakeNumber(parsed, "y", 240);
  account.map = TakeNumber(parsed, "map", 0);
  bool starter_items = !TakeOption(parsed, "no-starter-items").has_value();
  RefuseLeftOverOptions(parsed, "add-account");
  account.password_hash = HashPassword(password);
  AccountStore store(db_path);
  int user_number = store.AddAccount(account);
  if (starter_items) {
    for (const char* code : kStarterItems) store.AddItem(user_number, code);
  }
  out << user_number << std::endl;
  return 0;
}

std::string ItemCode(const std::string& text) {
  if (!IsItemCode(text)) {
    throw UsageError("the item code must be an appearance number from 1 to 33, or \"i\" and a"
                     " number, without leading zeros, not \"" + text + "\"");
  }
  return text;
}

// The commands that change one user: COMMAND USERNUMBER VALUE.
int UserNumberOf(const ParsedArguments& parsed, const char* command, const char* value) {
  if (parsed.positional.size() != 3) {
    throw UsageError(std::string(command) + " needs exactly a user number and " + value);
  }
  std::optional<int> user_number = ParseWholeNumber(parsed.positional[1]);
  if (!user_number || *user_number < 1) {
    throw UsageError("the user number must be a whole number from 1, not \"" +
                     parsed.positional[1] + "\"");
  }
  RefuseLeftOverOptions(parsed, command);
  return *user_number;
}

int WholeNumberArgument(const std::string& what, const std::string& text) {
  std::optional<int> value = ParseWholeNumber(text);
  if (!value) throw UsageError(what + " must be a whole number, not \"" + text + "\"");
  return *value;
}

void RequireAccount(bool found, int user_number) {
  if (!found) throw StoreError("no account has the user number " + std::to_string(user_number));
}

int AddItem(ParsedArguments& parsed, const std::string& db_path, std::ostream& out) {
  int user_number = UserNumberOf(parsed, "add-item", "an item code");
  std::string code = ItemCode(parsed.positional[2]);
  AccountStore store(db_path);
  out << store.AddItem(user_number, code) << std::endl;
  return 0;
}

int SetProfile(ParsedArguments& parsed, const std::string& db_path) {
  int user_number = UserNumberOf(parsed, "set-profile", "a profile text");
  std::optional<std::string> text = Utf8ToCp932(parsed.positional[2]);
  if (!text) throw UsageError("the profile text cannot be written in CP932");
  if (text->size() > kMaxProfileTextBytes) {
    throw UsageError("the profile text is " + std::to_string(text->size()) +
                     " bytes in CP932; at most " + std::to_string(kMaxProfileTextBytes) +
                     " are allowed");
  }
  // The client sends the profile text back between commas.
  if (text->find(',') != std::string::npos) {
    throw UsageError("the profile text must not contain a comma");
  }
  AccountStore store(db_path);
  RequireAccount(store.SaveProfileText(user_number, *text), user_number);
  return 0;
}

int SetPoints(ParsedArguments& parsed, const std::string& db_path) {
  int user_number = UserNumberOf(parsed, "set-points", "a number of points");
  int points = WholeNumberArgument("the points", parsed.positional[2]);
  AccountStore store(db_path);
  RequireAccount(store.SavePoints(user_number, points), user_number);
  return 0;
}

int SetHealth(ParsedArguments& parsed, const std::string& db_path) {
  int user_number = UserNumberOf(parsed, "set-health", "a health value");
  int health = WholeNumberArgument("the health", parsed.positional[2]);
  AccountStore store(db_path);
  RequireAccount(store.SaveHealth(user_number, health), user_number);
  return 0;
}

std::string TickerText(const std::string& utf8) {
  std::optional<std::string> text = Utf8ToCp932(utf8);
  if (!text) throw UsageError("the ticker text cannot be written in CP932");
  if (text->size() > kMaxTickerBytes) {
    throw UsageError("the ticker text is " + std::to_string(text->size()) +
                     " bytes in CP932; at most " + std::to_string(kMaxTickerBytes) +
                     " are allowed");
  }
  return *text;
}

int Serve(ParsedArguments& parsed, const std::string& db_path, std::ostream& err) {
  if (!parsed.positional.empty()) throw UsageError("unknown command " + parsed.positional[0]);
  ServerOptions options;
  if (auto address = TakeOption(parsed, "address")) {
    asio::error_code error;
    asio::ip::make_address_v4(*address, error);
    if (error) throw UsageError("--address needs an IPv4 address, not \"" + *address + "\"");
    options.address = *address;
  }
  if (auto port = TakeOption(parsed, "port")) options.port = ParseNumber("port", *port, 1, 65535);
  if (auto version = TakeOption(parsed, "newest-version")) {
    ParseNumber("newest-version", *version, 0, INT32_MAX);
    options.newest_version = *version;
  }
  if (auto ticker = TakeOption(parsed, "welcome-ticker")) options.welcome_ticker = TickerText(*ticker);
  bool ticker_stdin = TakeOption(parsed, "ticker-stdin").has_value();
  RefuseLeftOverOptions(parsed, "the server");

  AccountStore store(db_path);
  asio::io_context io;
  std::optional<GameServer> server;
  try {
    server.emplace(io, store, options, err);
  } catch (const asio::system_error& error) {
    err << "posyvaled: cannot listen on " << options.address << ":" << options.port << ": "
        << error.code().message() << std::endl;
    return 1;
  }
  std::optional<OperatorInput> operator_input;
  if (ticker_stdin) {
    operator_input.emplace(io, STDIN_FILENO, *server, err);
    operator_input->Start();
  }
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](const asio::error_code& error, int signal_number) {
    if (error) return;
    err << "stopping on signal " << signal_number << std::endl;
    if (operator_input) operator_input->Stop();
    server->Stop();
  });
  io.run();
  return 0;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    ParsedArguments parsed = ParseArguments(args);
    std::optional<std::string> db_path = TakeOption(parsed, "db");
    if (!db_path) throw UsageError("--db PATH is required");
    if (!parsed.positional.empty() && parsed.positional[0] == "add-account") {
      return AddAccount(parsed, *db_path, out);
    }
    std::string command = parsed.positional.empty() ? "" : parsed.positional[0];
    if (command == "add-item") return AddItem(parsed, *db_path, out);
    if (command == "set-profile") return SetProfile(parsed, *db_path);
    if (command == "set-points") return SetPoints(parsed, *db_path);
    if (command == "set-health") return SetHealth(parsed, *db_path);
    return Serve(parsed, *db_path, err);
  } catch (const UsageError& error) {
    err << "posyvaled: " << error.what() << "\n" << kUsage;
    return 2;
  } catch (const DuplicateLoginIdError& error) {
    err << "posyvaled: " << error.what() << std::endl;
    return 1;
  } catch (const std::exception& error) {
    err << "posyvaled: " << error.what() << std::endl;
    return 1;
  }
}

}  // namespace posyvaled
