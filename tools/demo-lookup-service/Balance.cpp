#include "tools/demo-lookup-service/Balance.h"

#include <cstdint>

namespace kelvaro::demo {

namespace {

std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

}  // namespace

std::string BalanceOf(std::string_view number) {
  const std::uint64_t cents = Fnv1a(number) % 30000;
  std::string balance = std::to_string(cents / 100);
  balance += '.';
  balance += static_cast<char>('0' + cents % 100 / 10);
  balance += static_cast<char>('0' + cents % 10);
  return balance;
}

}  // namespace kelvaro::demo
