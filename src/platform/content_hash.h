#pragma once

// The 128-bit content hash (XXH3-128) that tells whether two files hold the same bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvello {

struct ContentHash {
  uint64_t low = 0;
  uint64_t high = 0;

  bool operator==(const ContentHash&) const = default;
};

// Hashes bytes that arrive in pieces.
class ContentHasher {
 public:
  ContentHasher();
  ~ContentHasher();
  ContentHasher(const ContentHasher&) = delete;
  ContentHasher& operator=(const ContentHasher&) = delete;

  void Add(const void* data, size_t size);
  // The hash of everything added so far.
  ContentHash Digest() const;

 private:
  struct State;
  State* state_;
};

ContentHash HashBytes(std::string_view bytes);

// 32 hexadecimal digits, high half first.
std::string HashText(const ContentHash& hash);
// The hash that HashText wrote; nullopt for anything but 32 hexadecimal digits.
std::optional<ContentHash> ParseHashText(std::string_view text);

}  // namespace tarvello
