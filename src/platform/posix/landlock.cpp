#include "platform/landlock.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "platform/posix/posix_descriptor.h"

namespace tarvello {
namespace {

// Rights of later kernels than the headers may know; their bits are fixed by the ABI.
constexpr uint64_t kReferRight = 1ULL << 13;     // version 2
constexpr uint64_t kTruncateRight = 1ULL << 14;  // version 3

// The C library has no wrappers for these calls.
int CreateRuleset(const landlock_ruleset_attr* attributes, size_t size, uint32_t flags) {
  return static_cast<int>(::syscall(SYS_landlock_create_ruleset, attributes, size, flags));
}

int AddRule(int ruleset, landlock_rule_type type, const void* attributes) {
  return static_cast<int>(::syscall(SYS_landlock_add_rule, ruleset, type, attributes, 0));
}

int RestrictSelf(int ruleset) {
  return static_cast<int>(::syscall(SYS_landlock_restrict_self, ruleset, 0));
}

// Every right that changes the file system, as far as the kernel's version knows them.
// Reading and executing are not handled, so they stay allowed.
uint64_t WritingRights(int version) {
  uint64_t rights = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                    LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                    LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                    LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                    LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
  if (version >= 2) rights |= kReferRight;
  if (version >= 3) rights |= kTruncateRight;
  return rights;
}

// `error_number` is taken from errno by the caller before anything else can change it
// (an allocation may).
std::string SystemMessage(std::string_view step, int error_number) {
  return std::string(step) + ": " + std::system_category().message(error_number);
}

}  // namespace

int LandlockVersion() {
  const int version = CreateRuleset(nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
  return version > 0 ? version : 0;
}

bool AllowWritingOnlyBelow(const std::string& folder, std::string& error) {
  const int version = LandlockVersion();
  if (version == 0) {
    error = "the kernel offers no Landlock";
    return false;
  }
  landlock_ruleset_attr attributes{};
  attributes.handled_access_fs = WritingRights(version);
  const Descriptor ruleset(CreateRuleset(&attributes, sizeof attributes, 0));
  if (!ruleset.valid()) {
    error = SystemMessage("landlock_create_ruleset", errno);
    return false;
  }
  const Descriptor beneath(::open(folder.c_str(), O_PATH | O_CLOEXEC | O_DIRECTORY));
  if (!beneath.valid()) {
    const int open_error = errno;
    error = SystemMessage("cannot open " + folder, open_error);
    return false;
  }
  landlock_path_beneath_attr rule{};
  rule.allowed_access = attributes.handled_access_fs;
  rule.parent_fd = beneath.get();
  if (AddRule(ruleset.get(), LANDLOCK_RULE_PATH_BENEATH, &rule) != 0) {
    error = SystemMessage("landlock_add_rule", errno);
    return false;
  }
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    error = SystemMessage("prctl(PR_SET_NO_NEW_PRIVS)", errno);
    return false;
  }
  if (RestrictSelf(ruleset.get()) != 0) {
    error = SystemMessage("landlock_restrict_self", errno);
    return false;
  }
  return true;
}

}  // namespace tarvello
