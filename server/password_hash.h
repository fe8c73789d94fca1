#pragma once

#include <string>
#include <string_view>

namespace posyvaled {

// Salted one-way hash of a password, in the crypt(3) text form
// ("$y$..." for yescrypt) so the algorithm and salt travel with the hash.
std::string HashPassword(std::string_view password);

// True when `password` hashes to `stored_hash`.
bool VerifyPassword(std::string_view password, std::string_view stored_hash);

}  // namespace posyvaled
