#pragma once

// Landlock, the kernel's way for a process to give up rights it will not need.

#include <string>

namespace tarvello {

// The kernel's Landlock version; 0 where the kernel lacks Landlock or has it off.
int LandlockVersion();

// From now on this process, and every process it starts, can write, create, rename and
// remove files only below `folder`; reading stays allowed everywhere. False with the
// reason in `error` when the kernel lacks Landlock or refuses the rules.
bool AllowWritingOnlyBelow(const std::string& folder, std::string& error);

}  // namespace tarvello
