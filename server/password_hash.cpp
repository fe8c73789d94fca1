#include "password_hash.h"

#include <crypt.h>

#include <memory>
#include <stdexcept>

namespace posyvaled {
namespace {

// Hashes with the settings (algorithm, cost, salt) of `setting`; empty on
// failure. crypt_data is large, so it lives on the heap.
std::string CryptWith(std::string_view password, const std::string& setting) {
  auto data = std::make_unique<crypt_data>();
  std::string key(password);
  const char* hashed = crypt_rn(key.c_str(), setting.c_str(), data.get(), sizeof(crypt_data));
  if (hashed == nullptr || hashed[0] == '*') return {};
  return hashed;
}

}  // namespace

std::string HashPassword(std::string_view password) {
  char setting[CRYPT_GENSALT_OUTPUT_SIZE];
  // yescrypt at its default cost, salted from the system's random source.
  if (crypt_gensalt_rn("$y$", 0, nullptr, 0, setting, sizeof setting) == nullptr) {
    throw std::runtime_error("cannot make a password salt");
  }
  std::string hashed = CryptWith(password, setting);
  if (hashed.empty()) throw std::runtime_error("cannot hash the password");
  return hashed;
}

bool VerifyPassword(std::string_view password, std::string_view stored_hash) {
  std::string hashed = CryptWith(password, std::string(stored_hash));
  if (hashed.empty() || hashed.size() != stored_hash.size()) return false;
  // Compare every byte so the time taken does not tell where they differ.
  unsigned char difference = 0;
  for (std::size_t i = 0; i < hashed.size(); ++i) {
    difference |= static_cast<unsigned char>(hashed[i] ^ stored_hash[i]);
  }
  return difference == 0;
}

}  // namespace posyvaled
