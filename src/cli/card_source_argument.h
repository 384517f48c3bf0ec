#pragma once

// A card source as tarvello-cli card set takes it: a playlist file or a folder by its
// path, LIBRARY.xml#NAME for a library playlist, player:PLAYER#NAME for a music player's
// playlist. The last "#" splits, so a playlist's name may hold one.

#include <string>
#include <variant>

#include "platform/platform.h"
#include "sync/card_profile.h"

namespace tarvello::cli {

// The source, paths made absolute; or the reason the argument names none.
std::variant<CardSource, std::string> ParseCardSource(const std::string& argument,
                                                      FileSystem& files);

}  // namespace tarvello::cli
