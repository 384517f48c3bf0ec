// The install rules, checked as a packager uses them: everything goes into a DESTDIR, and
// the desktop's own validators judge the menu entry and the metainfo.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using cli_test::CliResult;
using cli_test::RunProgram;
using fakes::ReadFile;
using fakes::TempDir;

constexpr const char* kId = "io.github.tarvello.Tarvello";

// The build installed below a fresh DESTDIR with the prefix /usr.
class InstalledTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::setenv("DESTDIR", destdir_.path().c_str(), 1), 0);
    const CliResult installed =
        RunProgram(TARVELLO_CMAKE_COMMAND, {"--install", TARVELLO_BUILD_DIR, "--prefix", "/usr"});
    ::unsetenv("DESTDIR");
    ASSERT_EQ(installed.exit_status, 0) << installed.out << installed.err;
  }

  std::string Installed(const std::string& path) const { return destdir_.path() + "/usr/" + path; }
  std::string Share(const std::string& path) const { return Installed("share/" + path); }

  TempDir destdir_;
};

// Width and height from a PNG file's header; {0, 0} when it is no PNG.
std::pair<uint32_t, uint32_t> PngSize(const std::string& path) {
  const std::string bytes = ReadFile(path);
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  auto big_endian = [&](size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
  };
  return {big_endian(16), big_endian(20)};
}

TEST_F(InstalledTree, ProgramsGoIntoTheBinaryFolder) {
  for (const char* program : {"bin/tarvello", "bin/tarvello-cli"}) {
    const auto status = std::filesystem::status(Installed(program));
    EXPECT_TRUE(std::filesystem::is_regular_file(status)) << program;
    EXPECT_NE(status.permissions() & std::filesystem::perms::others_exec,
              std::filesystem::perms::none)
        << program;
  }
  const CliResult version = RunProgram(Installed("bin/tarvello-cli"), {"--version"});
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.out, "Tarvello-cli 1.4.0.0\n");
}

// The helper goes into the library-exec folder and is the only program that links FFmpeg;
// the installed command finds it there.
TEST_F(InstalledTree, TheHelperAloneLinksFfmpegAndTheCommandFindsIt) {
  const std::string helper = Installed("libexec/tarvello/tarvello-convert");
  ASSERT_TRUE(std::filesystem::is_regular_file(helper));
  EXPECT_NE(RunProgram("/usr/bin/ldd", {helper}).out.find("libavcodec"), std::string::npos);
  for (const char* program : {"bin/tarvello", "bin/tarvello-cli"}) {
    const CliResult linked = RunProgram("/usr/bin/ldd", {Installed(program)});
    EXPECT_EQ(linked.exit_status, 0);
    EXPECT_EQ(linked.out.find("libav"), std::string::npos) << program;
  }
  TempDir cache;
  const CliResult converted =
      RunProgram(Installed("bin/tarvello-cli"),
                 {"convert", "--cache-dir", cache.path(),
                  std::string(TARVELLO_TEST_DATA) + "/m4a/isom_brand.m4a"});
  EXPECT_EQ(converted.exit_status, 0) << converted.err;
  EXPECT_NE(converted.out.find("\"action\":\"remuxed\""), std::string::npos) << converted.out;
}

TEST_F(InstalledTree, DesktopEntryIsValidAndNamesTheProgramInJapanese) {
  const std::string entry = Share("applications/" + std::string(kId) + ".desktop");
  const CliResult validated = RunProgram("/usr/bin/desktop-file-validate", {entry});
  EXPECT_EQ(validated.exit_status, 0);
  EXPECT_EQ(validated.out + validated.err, "");  // not even a hint

  const std::string text = ReadFile(entry);
  for (const char* line :
       {"\nName=Tarvello\n", "\nName[ja]=", "\nComment=", "\nComment[ja]=", "\nExec=tarvello\n",
        "\nIcon=io.github.tarvello.Tarvello\n", "\nCategories=AudioVideo;Audio;\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

TEST_F(InstalledTree, MetainfoIsValidAndLaunchesTheDesktopEntry) {
  const std::string metainfo = Share("metainfo/" + std::string(kId) + ".metainfo.xml");
  const CliResult validated =
      RunProgram("/usr/bin/appstreamcli", {"validate", "--no-net", "--no-color", metainfo});
  EXPECT_EQ(validated.exit_status, 0) << validated.out << validated.err;

  const std::string text = ReadFile(metainfo);
  EXPECT_NE(text.find("<launchable type=\"desktop-id\">io.github.tarvello.Tarvello.desktop<"),
            std::string::npos);
  EXPECT_NE(text.find("<description>"), std::string::npos);
  EXPECT_NE(text.find("<screenshot type=\"default\">"), std::string::npos);
}

TEST_F(InstalledTree, IconThemeHoldsTheArtworkAsSvgAndInThreePngSizes) {
  const std::string svg =
      ReadFile(Share("icons/hicolor/scalable/apps/" + std::string(kId) + ".svg"));
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  for (uint32_t size : {48u, 128u, 256u}) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    EXPECT_EQ(PngSize(Share("icons/hicolor/" + folder + "/apps/" + std::string(kId) + ".png")),
              std::make_pair(size, size));
  }
}

TEST_F(InstalledTree, ManPageDescribesEverySubcommandItsOutputAndExitCodes) {
  const std::string page = Share("man/man1/tarvello-cli.1.gz");
  // man's own check of the page, and its text as a reader sees it.
  const CliResult checked = RunProgram(
      "/bin/sh", {"-c", "MANWIDTH=80 man --warnings -E UTF-8 -l \"$0\" 2>&1 >/dev/null", page});
  EXPECT_EQ(checked.exit_status, 0);
  EXPECT_EQ(checked.out, "");
  const CliResult shown =
      RunProgram("/bin/sh", {"-c", "MANWIDTH=200 man -E UTF-8 -l \"$0\" | col -b", page});
  ASSERT_EQ(shown.exit_status, 0);
  for (const char* text :
       {"info FILE...", "mgr FILE...", "output --root ROOT", "playlists LIBRARY",
        "playlist LIBRARY NAME", "playlist --player PLAYER NAME", "players", "tracklist FILE", "folder DIR", "EXIT STATUS", "--title-format",
        "--separator", "--backup-dir", "--no-backup", "backup_folder", "entry_count"}) {
    EXPECT_NE(shown.out.find(text), std::string::npos) << text;
  }
}

// What bash offers after `line` with the installed completion loaded.
std::string Completions(const std::string& completion, const std::string& line) {
  const std::string script =
      "source /usr/share/bash-completion/bash_completion; source \"$1\"; "
      "COMP_LINE=\"$2\"; COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<<\"$COMP_LINE\"; "
      "[[ \"$COMP_LINE\" == *' ' ]] && COMP_WORDS+=(''); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
      "_tarvello_cli; echo \"${COMPREPLY[*]}\"";
  return RunProgram("/bin/bash", {"-c", script, "bash", completion, line}).out;
}

TEST_F(InstalledTree, BothProgramsHaveManPagesAndThePackageItsCopyrightAndChangelog) {
  for (const char* page : {"man/man1/tarvello.1.gz", "man/man1/tarvello-cli.1.gz"}) {
    const CliResult checked = RunProgram(
        "/bin/sh",
        {"-c", "MANWIDTH=80 man --warnings -E UTF-8 -l \"$0\" 2>&1 >/dev/null", Share(page)});
    EXPECT_EQ(checked.exit_status, 0) << page;
    EXPECT_EQ(checked.out, "") << page;
  }
  EXPECT_EQ(ReadFile(Share("doc/tarvello/copyright")).rfind("Format: https://", 0), 0u);
  // The changelog's newest entry names the version the package is built as.
  const CliResult changelog =
      RunProgram("/bin/sh", {"-c", "gzip -dc \"$0\" | head -n1", Share("doc/tarvello/changelog.gz")});
  EXPECT_EQ(changelog.out, "tarvello (1.4.0) unstable; urgency=medium\n");
}

TEST_F(InstalledTree, BashCompletesSubcommandsOptionsAndValues) {
  const std::string completion = Share("bash-completion/completions/tarvello-cli");
  EXPECT_EQ(Completions(completion, "tarvello-cli "),
            "info mgr output verify backups restore convert playlists playlist players tracklist "
            "folder card sync\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli card "), "set show forget\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli card set --root /tmp --a"), "--auto\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli sync --root /tmp --d"), "--dry-run\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli pl"), "playlists playlist players\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli playlist --player S"), "Strawberry\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli output --ti"), "--title-format\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli output --root /tmp --no"),
            "--no-backup --no-verify --no-convert\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli convert --bitrate "), "96 128 160 192 256\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli restore --b"), "--backup-dir\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli output --title-format "), "0 1 2\n");
  EXPECT_EQ(Completions(completion, "tarvello-cli --"), "--help --version\n");
}

// Whether `pid` has a handler for `signal_number`, from the kernel's view of the process.
bool CatchesSignal(pid_t pid, int signal_number) {
  const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
  const size_t at = status.find("SigCgt:\t");
  if (at == std::string::npos) return false;
  const uint64_t caught = std::stoull(status.substr(at + 8, 16), nullptr, 16);
  return (caught >> (signal_number - 1) & 1) != 0;
}

// Waits up to `seconds` for the child to end; its exit status, or -1 after a kill.
int WaitForExit(pid_t pid, int seconds) {
  for (int tick = 0; tick < seconds * 20; ++tick) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::usleep(50 * 1000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return -1;
}

TEST_F(InstalledTree, ProgramInAnUnwritableFolderKeepsItsSettingsUnderXdgConfigHome) {
  const std::string bin = Installed("bin");
  TempDir home;
  const std::string config = home.Path("config");
  const std::string data = home.Path("data");

  // Root writes anywhere a mode allows nothing, so it gets a read-only view of the folder
  // in a mount namespace of the program's own; anyone else gets a folder without write
  // permission.
  std::vector<std::string> command;
  if (::geteuid() == 0) {
    // In a chroot or a container without the right capabilities unshare itself fails;
    // the read-only view cannot be made there, which says nothing about the program.
    const auto probe = cli_test::RunProgram(
        "/usr/bin/unshare",
        {"--mount", "/bin/sh", "-c",
         "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\"", bin});
    if (probe.exit_status != 0)
      GTEST_SKIP() << "cannot make a read-only view of the folder with unshare --mount: "
                   << probe.err;
    command = {
        "/usr/bin/unshare",
        "--mount",
        "/bin/sh",
        "-c",
        "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && exec \"$0/tarvello\"",
        bin};
  } else {
    std::filesystem::permissions(bin, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    command = {bin + "/tarvello"};
  }
  std::vector<std::string> environment = {"HOME=" + home.path(),       "XDG_CONFIG_HOME=" + config,
                                          "XDG_DATA_HOME=" + data,     "TEMP=" + home.path(),
                                          "QT_QPA_PLATFORM=offscreen", "LC_ALL=C.UTF-8",
                                          "PATH=/usr/bin:/bin"};
  if (const char* asan = std::getenv("ASAN_OPTIONS"))
    environment.push_back(std::string("ASAN_OPTIONS=") + asan);

  const std::vector<char*> argv = cli_test::CStrings(command);
  const std::vector<char*> envp = cli_test::CStrings(environment);
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()), 0);

  // Once the program listens for the end of the session, SIGTERM closes its window as the
  // close box does, and the settings are written.
  bool listening = false;
  for (int tick = 0; tick < 600 && !listening; ++tick) {
    listening = CatchesSignal(pid, SIGTERM);
    if (!listening) ::usleep(50 * 1000);
  }
  ASSERT_TRUE(listening) << "the program did not start";
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  EXPECT_EQ(WaitForExit(pid, 30), 0);

  const std::string settings = ReadFile(config + "/tarvello/tarvello.INI");
  EXPECT_NE(settings.find("[SIZE]"), std::string::npos) << settings;
  EXPECT_FALSE(std::filesystem::exists(bin + "/tarvello.INI"));
  EXPECT_FALSE(std::filesystem::exists(bin + "/Backup"));
}

}  // namespace
}  // namespace tarvello
