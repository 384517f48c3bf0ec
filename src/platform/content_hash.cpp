#include "platform/content_hash.h"

#include <xxhash.h>

#include <charconv>
#include <cstdio>
#include <new>

namespace tarvello {

struct ContentHasher::State {
  XXH3_state_t* xxh = nullptr;
};

ContentHasher::ContentHasher() : state_(new State) {
  state_->xxh = XXH3_createState();
  if (state_->xxh == nullptr) {
    delete state_;
    throw std::bad_alloc();
  }
  XXH3_128bits_reset(state_->xxh);
}

ContentHasher::~ContentHasher() {
  XXH3_freeState(state_->xxh);
  delete state_;
}

void ContentHasher::Add(const void* data, size_t size) {
  XXH3_128bits_update(state_->xxh, data, size);
}

ContentHash ContentHasher::Digest() const {
  const XXH128_hash_t hash = XXH3_128bits_digest(state_->xxh);
  return {hash.low64, hash.high64};
}

ContentHash HashBytes(std::string_view bytes) {
  const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
  return {hash.low64, hash.high64};
}

std::string HashText(const ContentHash& hash) {
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high),
                static_cast<unsigned long long>(hash.low));
  return text;
}

std::optional<ContentHash> ParseHashText(std::string_view text) {
  constexpr size_t kHalf = 16;
  if (text.size() != 2 * kHalf) return std::nullopt;
  ContentHash hash;
  for (auto [part, value] :
       {std::pair{text.substr(0, kHalf), &hash.high}, std::pair{text.substr(kHalf), &hash.low}}) {
    const char* end = part.data() + part.size();
    const auto parsed = std::from_chars(part.data(), end, *value, 16);
    if (parsed.ec != std::errc() || parsed.ptr != end || part.front() == '+') return std::nullopt;
  }
  return hash;
}

}  // namespace tarvello
