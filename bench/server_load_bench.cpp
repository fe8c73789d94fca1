// Load on the reference game server: N clients on loopback, each walking
// with a move every 33 ms, the way a client sends them while an arrow key
// is held. The server tells every other user of every move; what counts is
// how soon the users on the mover's map get it.
//
// Each run starts a fresh server on its own thread with N accounts, logs
// the clients in one by one, lets them walk for kWalkSeconds and waits
// kDrainSeconds for the last moves. A move carries its sequence number as
// its x, so a receiver can look up when it was sent.
//
// Counters of each run:
//   same_map_in_100ms  share of the moves due to clients on the mover's map
//                      that arrived within 100 ms of being sent
//   all_in_100ms       the same over every receiving client
//   same_map_p99_ms, same_map_max_ms   arrival delay of those moves
//   moves_sent         moves the clients sent
//
// Run: build-server/bin/server_load_bench (about 40 s).
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <crypt.h>
#include <sqlite3.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "account_store.h"
#include "frame_codec.h"
#include "game_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using posyvaled::AccountStore;
using posyvaled::GameServer;
using posyvaled::NewAccount;
using posyvaled::ServerOptions;

constexpr const char* kAddress = "127.0.0.1";
constexpr unsigned short kPort = 40190;
constexpr int kMaps = 5;
constexpr auto kMoveInterval = std::chrono::milliseconds(33);
constexpr auto kDeadline = std::chrono::milliseconds(100);
constexpr double kWalkSeconds = 3.0;
constexpr double kDrainSeconds = 0.5;
constexpr int kHistogramMs = 2000;  // delays are counted per millisecond up to this

// One password hash for every account, made cheap (SHA-256 crypt, 1000
// rounds) so that logging in hundreds of clients takes no time of its own.
std::string CheapPasswordHash() {
  crypt_data data{};
  const char* hashed = crypt_rn("pw", "$5$rounds=1000$benchsalt$", &data, sizeof data);
  if (hashed == nullptr || hashed[0] == '*') throw std::runtime_error("cannot hash");
  return hashed;
}

// Client i is user i + 1 and walks on map i % kMaps.
int MapOf(int user_number) { return (user_number - 1) % kMaps; }

class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "load-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder");
    path_ = pattern;
  }
  ~TemporaryFolder() { std::filesystem::remove_all(path_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The game server on its own thread.
class ServerThread {
 public:
  ServerThread(const std::string& db_path, int clients) : store_(db_path) {
    AddAccounts(clients);
    ServerOptions options;
    options.address = kAddress;
    options.port = kPort;
    server_.emplace(io_, store_, options, log_);
    thread_ = std::thread([this] { io_.run(); });
  }
  ~ServerThread() {
    asio::post(io_, [this] { server_->Stop(); });
    thread_.join();
  }

 private:
  // Users 1 to `clients`, all with the password "pw", added in one
  // transaction: one disk sync, not hundreds.
  void AddAccounts(int clients) {
    std::string hash = CheapPasswordHash();
    sqlite3_exec(store_.Database(), "BEGIN;", nullptr, nullptr, nullptr);
    for (int i = 1; i <= clients; ++i) {
      store_.AddAccount(NewAccount{"user" + std::to_string(i), hash, "u" + std::to_string(i),
                                   i % 34, 100, 100, MapOf(i)});
    }
    sqlite3_exec(store_.Database(), "COMMIT;", nullptr, nullptr, nullptr);
  }

  AccountStore store_;
  std::ostringstream log_;
  asio::io_context io_;
  std::optional<GameServer> server_;
  std::thread thread_;
};

struct Client {
  int fd = -1;
  int user_number = 0;
  std::string received;
  Clock::time_point next_move;
  std::vector<Clock::time_point> sent_at;  // by sequence number
};

int ConnectAndLogIn(int user_number) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(kPort);
  inet_pton(AF_INET, kAddress, &target.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
    throw std::runtime_error("cannot connect");
  }
  std::string login = posyvaled::EncodeFrame("luser" + std::to_string(user_number) + ",pw");
  send(fd, login.data(), login.size(), MSG_NOSIGNAL);
  // The login answer is the first frame; wait for its first bytes.
  pollfd entry{fd, POLLIN, 0};
  if (poll(&entry, 1, 5000) != 1) throw std::runtime_error("no login answer");
  return fd;
}

// What the receivers saw.
struct Tally {
  long long due_same_map = 0;
  long long on_time_same_map = 0;
  long long due_all = 0;
  long long on_time_all = 0;
  std::vector<long long> same_map_histogram = std::vector<long long>(kHistogramMs + 1, 0);

  double SameMapPercentileMs(double share) const {
    long long wanted = static_cast<long long>(share * static_cast<double>(due_same_map));
    long long seen = 0;
    for (int ms = 0; ms <= kHistogramMs; ++ms) {
      seen += same_map_histogram[ms];
      if (seen >= wanted && seen > 0) return ms;
    }
    return kHistogramMs;  // missing moves count as the longest delay
  }
  double SameMapMaxMs() const {
    long long received = 0;
    for (long long count : same_map_histogram) received += count;
    if (received < due_same_map) return kHistogramMs;
    for (int ms = kHistogramMs; ms >= 0; --ms) {
      if (same_map_histogram[ms] > 0) return ms;
    }
    return 0;
  }
};

// Takes every whole frame out of the client's stream and counts the moves.
void ReadMoves(Client& receiver, std::vector<Client>& clients, Clock::time_point now,
               Tally& tally) {
  std::size_t pos = 0;
  std::string& data = receiver.received;
  while (data.size() - pos >= 2) {
    std::size_t length = std::strtoul(data.substr(pos, 2).c_str(), nullptr, 16);
    if (data.size() - pos < length) break;
    if (length > 2 && data[pos + 2] == 'm') {
      char* end = nullptr;
      long user = std::strtol(data.c_str() + pos + 3, &end, 10);
      long sequence = std::strtol(end + 1, nullptr, 10);
      const Client& mover = clients[user - 1];
      auto delay = now - mover.sent_at[sequence];
      bool on_time = delay <= kDeadline;
      tally.on_time_all += on_time;
      if (MapOf(static_cast<int>(user)) == MapOf(receiver.user_number)) {
        tally.on_time_same_map += on_time;
        long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(delay).count();
        ++tally.same_map_histogram[std::min<long long>(ms, kHistogramMs)];
      }
    }
    pos += length;
  }
  data.erase(0, pos);
}

void BM_ClientsWalking(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  TemporaryFolder folder;
  ServerThread server(folder.Path() + "/server.db", count);
  std::vector<Client> clients(count);
  for (int i = 0; i < count; ++i) {
    clients[i].user_number = i + 1;
    clients[i].fd = ConnectAndLogIn(i + 1);
  }
  int epoll = epoll_create1(0);
  for (int i = 0; i < count; ++i) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u32 = static_cast<std::uint32_t>(i);
    epoll_ctl(epoll, EPOLL_CTL_ADD, clients[i].fd, &event);
  }

  Tally tally;
  long long moves_sent = 0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now() + std::chrono::milliseconds(200);
    Clock::time_point walk_end = start + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(kWalkSeconds));
    Clock::time_point drain_end = walk_end + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(kDrainSeconds));
    // Spread the clients' moves evenly over the 33 ms.
    for (int i = 0; i < count; ++i) clients[i].next_move = start + kMoveInterval * i / count;
    std::vector<epoll_event> events(count);
    char buffer[65536];
    while (true) {
      Clock::time_point now = Clock::now();
      if (now >= drain_end) break;
      Clock::time_point next_due = drain_end;
      for (Client& client : clients) {
        if (client.next_move < walk_end && client.next_move <= now) {
          int sequence = static_cast<int>(client.sent_at.size());
          std::string move = posyvaled::EncodeFrame(
              "m" + std::to_string(client.user_number) + "," + std::to_string(sequence) + ",100," +
              std::to_string(MapOf(client.user_number)));
          client.sent_at.push_back(Clock::now());
          send(client.fd, move.data(), move.size(), MSG_NOSIGNAL);
          ++moves_sent;
          client.next_move += kMoveInterval;
        }
        if (client.next_move < walk_end) next_due = std::min(next_due, client.next_move);
      }
      int wait_ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(
                                         next_due - Clock::now()).count());
      int ready = epoll_wait(epoll, events.data(), count, std::max(0, wait_ms));
      now = Clock::now();
      for (int e = 0; e < ready; ++e) {
        Client& receiver = clients[events[e].data.u32];
        ssize_t size = recv(receiver.fd, buffer, sizeof buffer, 0);
        if (size <= 0) {
          state.SkipWithError("the server closed a client");
          break;
        }
        receiver.received.append(buffer, size);
        ReadMoves(receiver, clients, now, tally);
      }
    }
  }
  for (const Client& mover : clients) {
    long long sent = static_cast<long long>(mover.sent_at.size());
    int same_map_receivers = 0;
    for (const Client& other : clients) {
      same_map_receivers += &other != &mover && MapOf(other.user_number) == MapOf(mover.user_number);
    }
    tally.due_same_map += sent * same_map_receivers;
    tally.due_all += sent * (count - 1);
  }
  close(epoll);
  for (Client& client : clients) close(client.fd);

  auto share = [](long long part, long long whole) {
    return whole == 0 ? 1.0 : static_cast<double>(part) / static_cast<double>(whole);
  };
  state.counters["same_map_in_100ms"] = share(tally.on_time_same_map, tally.due_same_map);
  state.counters["all_in_100ms"] = share(tally.on_time_all, tally.due_all);
  state.counters["same_map_p99_ms"] = tally.SameMapPercentileMs(0.99);
  state.counters["same_map_max_ms"] = tally.SameMapMaxMs();
  state.counters["moves_sent"] = static_cast<double>(moves_sent);
}

BENCHMARK(BM_ClientsWalking)
    ->ArgName("clients")
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Arg(300)
    ->Arg(400)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
