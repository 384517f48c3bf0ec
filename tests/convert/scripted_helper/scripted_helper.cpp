// A stand-in for tarvello-convert that speaks its protocol and misbehaves on cue: the name
// of the song asked for says how. "crash" aborts, "hang" stops answering ("probe-hang"
// already when probed), "garble" answers bytes that are no message, "busy" reports
// progress until it is ended; any other song is "made" at once as a few bytes at the
// target.

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "convert/helper_protocol.h"

namespace {

using tarvello::HelperMessage;

void Send(const HelperMessage& message) {
  const std::string bytes = tarvello::EncodeHelperMessage(message);
  if (::write(STDOUT_FILENO, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    std::exit(3);
  }
}

bool Receive(std::string& buffer, HelperMessage& message) {
  char chunk[4096];
  while (tarvello::TakeHelperMessage(buffer, message) != tarvello::HelperFrame::kMessage) {
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    buffer.append(chunk, static_cast<size_t>(got));
  }
  return true;
}

void Misbehave(const std::string& source) {
  if (source.find("crash") != std::string::npos) std::abort();
  if (source.find("hang") != std::string::npos) {
    while (true) ::pause();
  }
  if (source.find("garble") != std::string::npos) {
    const char junk[] = "\xff\xff\xff\xffjunk";
    if (::write(STDOUT_FILENO, junk, sizeof junk) < 0) std::exit(3);
    while (true) ::pause();
  }
  if (source.find("busy") != std::string::npos) {
    while (true) {
      Send({"progress", {}});
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  HelperMessage hello{"hello", {}};
  Send(hello.SetNumber("version", tarvello::kHelperProtocolVersion).Set("sandbox", "scripted"));
  std::string buffer;
  HelperMessage request;
  while (Receive(buffer, request)) {
    const std::string source = request.Text("source");
    if (request.type == "probe" && source.find("probe-hang") != std::string::npos) {
      while (true) ::pause();
    }
    HelperMessage reply{request.type == "probe" ? "probed" : "made", {}};
    reply.Set("kind", "remux").Set("codec", "aac").Set("tag.title", source);
    if (request.type == "make") {
      Misbehave(source);
      std::ofstream(request.Text("target")) << "made of " << source;
      reply.Set("end", "done");
    }
    Send(reply);
  }
  return 0;
}
