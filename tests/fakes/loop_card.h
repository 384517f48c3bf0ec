#pragma once

// A real card for tests and benchmarks that need a file system with a UUID and a block
// device to count: an ext4 image mounted through a loop device in a fresh folder. Needs
// root, mkfs.ext4 and mount; Ready() says whether it came up, Why() why not.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarvello::fakes {

class LoopMountedCard {
 public:
  explicit LoopMountedCard(int64_t megabytes) {
    char pattern[] = "/tmp/tarvello-loop-XXXXXX";
    if (::geteuid() != 0) {
      why_ = "needs root for the loop device";
      return;
    }
    if (::mkdtemp(pattern) == nullptr) {
      why_ = "no temporary folder";
      return;
    }
    folder_ = pattern;
    std::filesystem::create_directories(Root());
    const std::string size = std::to_string(megabytes) + "M";
    if (!Run("truncate -s " + size + " '" + Image() + "' && mkfs.ext4 -q -F '" + Image() +
             "' && mount -o loop '" + Image() + "' '" + Root() + "'")) {
      why_ = "the ext4 image could not be made or mounted";
      return;
    }
    device_ = Output("findmnt -n -o SOURCE '" + Root() + "'");
  }
  ~LoopMountedCard() {
    if (!device_.empty()) Run("umount '" + Root() + "'");
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }
  LoopMountedCard(const LoopMountedCard&) = delete;
  LoopMountedCard& operator=(const LoopMountedCard&) = delete;

  bool Ready() const { return !device_.empty(); }
  const std::string& Why() const { return why_; }
  std::string Root() const { return folder_ + "/card"; }

  // Bytes the card's device has read and written since it was mounted (the block layer
  // counts 512-byte sectors whatever the device's own size).
  int64_t BytesRead() const { return Sectors(2) * 512; }
  int64_t BytesWritten() const { return Sectors(6) * 512; }

  // Writes what waits for the card and drops the page cache, so the next reads reach it.
  static void Settle() {
    ::sync();
    std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
  }

 private:
  std::string Image() const { return folder_ + "/card.img"; }

  static bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
  }
  static std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      for (int c = std::fgetc(pipe); c != EOF && c != '\n'; c = std::fgetc(pipe)) {
        text += static_cast<char>(c);
      }
      ::pclose(pipe);
    }
    return text;
  }
  // Field `index` of the device's stat line.
  int64_t Sectors(int index) const {
    std::ifstream stat("/sys/class/block/" + std::filesystem::path(device_).filename().string() +
                       "/stat");
    int64_t value = 0;
    for (int i = 0; i <= index; ++i) stat >> value;
    return value;
  }

  std::string folder_;
  std::string device_;
  std::string why_;
};

}  // namespace tarvello::fakes
