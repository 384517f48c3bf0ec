#pragma once

// The helper program's side of the protocol: reads requests on one descriptor, works,
// and answers on another, until its input ends.

#include <string>

namespace tarvello {

// Serves requests on `input` and `output` until `input` ends; returns the program's exit
// status. `sandbox` is what the hello says of the restriction in force.
int ServeConversions(int input, int output, const std::string& sandbox);

}  // namespace tarvello
