// The zorvax command on a real X display, used as a person would: a window whose title is the
// dialog's caption appears, a screenshot shows it, and the keyboard answers it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "../host/native_frames_io.h"
#include "peer_process.h"

#include "support/zx_test.h"

extern char** environ;

namespace zx::test {
namespace {

using namespace std::chrono_literals;

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    std::string candidate = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

// Waits for the process to end; kills it when it has not ended in time. Its exit status, or -1.
int waitForExit(pid_t pid, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(20ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An X server of its own on a display number it picks itself among the free ones.
class VirtualDisplay {
 public:
  explicit VirtualDisplay(const std::string& xvfb) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    std::vector<std::string> args{xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0", "800x600x24",
                                  "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, xvfb.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    pollfd ready{fds[0], POLLIN, 0};
    std::string number;
    char c;
    while (pid_ > 0 && ::poll(&ready, 1, 15000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~VirtualDisplay() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    waitForExit(pid_, 5s);
  }
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

class DesktopSession : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string xvfb = findProgram("Xvfb");
    if (xvfb.empty()) GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
    ASSERT_FALSE(findProgram("xdotool").empty());
    ASSERT_FALSE(findProgram("import").empty()) << "ImageMagick's import takes the screenshots";
    display_ = std::make_unique<VirtualDisplay>(xvfb);
    ASSERT_FALSE(display_->name().empty()) << "Xvfb did not start";
  }

  // Starts zorvax with the desktop interface on the display; its standard output goes to a file.
  pid_t startZorvax(const std::string& statements) {
    // A sanitizer build reads the suppressions; others ignore them.
    std::string command = "exec env -u QT_QPA_PLATFORM DISPLAY=" + display_->name() +
                          " LSAN_OPTIONS=suppressions=" ZX_QT_LSAN_SUPPRESSIONS " " + binary("zorvax") +
                          " --ui=qt --home " + home_.path() + " " + statements + " >" + home_.file("out") +
                          " 2>" + home_.file("err");
    pid_t pid = -1;
    std::vector<std::string> args{"/bin/sh", "-c", command};
    std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
    EXPECT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ), 0);
    return pid;
  }

  // The browser host on the display, its standard input a pipe the test writes as the browser
  // does (`input`); its replies go to a file.
  pid_t startBrowserHost(int& input) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    std::string command = "exec env -u QT_QPA_PLATFORM DISPLAY=" + display_->name() + " " + binary("zorvax") +
                          " --ui=qt --home " + home_.path() + " --native-messaging chrome-extension://test/ >" +
                          home_.file("out") + " 2>" + home_.file("err");
    std::vector<std::string> args{"/bin/sh", "-c", command};
    std::vector<char*> argv{args[0].data(), args[1].data(), args[2].data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    input = fds[1];
    return pid;
  }

  std::string x(const std::string& command) {
    return runCommand("DISPLAY=" + display_->name() + " " + command).out;
  }

  // The window whose title is exactly `title`, as xdotool finds it; empty when none came.
  // `other` passes over a window seen before under the same title.
  std::string waitForWindow(const std::string& title, const std::string& other = {}) {
    for (int i = 0; i < 200; ++i) {
      std::istringstream ids(x("xdotool search --onlyvisible --name '^" + title + "$'"));
      for (std::string id; std::getline(ids, id);)
        if (!id.empty() && id != other) return id;
      std::this_thread::sleep_for(100ms);
    }
    return {};
  }

  // Where the window stands on the screen.
  struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
  };
  Geometry geometry(const std::string& window) {
    std::istringstream shell(x("xdotool getwindowgeometry --shell " + window));
    Geometry g;
    for (std::string line; std::getline(shell, line);) {
      size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      int value = std::atoi(line.c_str() + eq + 1);
      std::string name = line.substr(0, eq);
      if (name == "X") g.x = value;
      else if (name == "Y") g.y = value;
      else if (name == "WIDTH") g.width = value;
      else if (name == "HEIGHT") g.height = value;
    }
    return g;
  }

  // The colour of one pixel of the screen as "#RRGGBB".
  std::string pixel(int px, int py) {
    std::string text =
        x("import -window root -crop 1x1+" + std::to_string(px) + "+" + std::to_string(py) + " -depth 8 txt:-");
    size_t hash = text.find('#', text.find('\n'));
    return hash == std::string::npos ? text : text.substr(hash, 7);
  }

  // The whole screen as a person sees it, kept as an artifact.
  void screenshot(const std::string& name) {
    std::filesystem::path artifacts = ZX_QT_ARTIFACTS;
    std::filesystem::create_directories(artifacts);
    std::string file = (artifacts / (name + ".png")).string();
    std::filesystem::remove(file);
    x("import -window root " + file);
    EXPECT_GT(std::filesystem::exists(file) ? std::filesystem::file_size(file) : 0, 1000u) << file;
  }

  // Gives the window the keyboard and types the key, as a person would.
  void pressKey(const std::string& window, const std::string& key) {
    x("xdotool windowfocus --sync " + window);
    x("xdotool key " + key);
  }

  // Finds the window by its title, keeps a screenshot of the screen when `screenshotName` is
  // given, and answers it with the key. False when no such window came.
  bool answer(const std::string& title, const std::string& key, const std::string& screenshotName = {}) {
    std::string window = waitForWindow(title);
    if (window.empty()) {
      ADD_FAILURE() << "no window '" << title << "' came\n" << errors();
      return false;
    }
    if (!screenshotName.empty()) screenshot(screenshotName);
    pressKey(window, key);
    return true;
  }

  std::string output() { return readFile(home_.file("out")); }
  std::string errors() { return readFile(home_.file("err")); }

  std::unique_ptr<VirtualDisplay> display_;
  TempDir home_;
};

std::string zorvaxCommand(const std::string& environment, const TempDir& home, const std::string& rest) {
  return "env " + environment + " " + binary("zorvax") + " --home " + home.path() + " " + rest;
}

TEST(DesktopHost, ChoosesItsInterfaceAndEndsCleanlyWhicheverWayItLeaves) {
  TempDir home;
  const std::string offscreen = "-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen";
  const std::string noDisplay = "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
  auto ran = runCommand(zorvaxCommand(offscreen, home, "--ui=qt call getVersion"));
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.out, "3.1.0\n");
  auto usage = runCommand(zorvaxCommand(offscreen, home, "--ui=qt script " + home.file("missing")));
  EXPECT_EQ(usage.status, 2) << "a usage error after the desktop opened still ends as one, not in a crash";
  auto refused = runCommand(zorvaxCommand(noDisplay, home, "--ui=qt call getVersion"));
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("no display"), std::string::npos) << refused.err;
  auto console = runCommand(zorvaxCommand(noDisplay, home, "set dialog 0 set Filename /no/dir/x call saveFile a"));
  EXPECT_EQ(console.status, 0);
  EXPECT_EQ(console.out, "-1\n");
  EXPECT_NE(console.err.find("[ERROR]"), std::string::npos) << "without a display the box goes to standard error";

  // A display nobody serves: auto falls back to the console, qt is refused, neither aborts.
  const std::string unreachable = "-u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:" + std::to_string(getpid() % 1000 + 7000);
  auto fallback = runCommand(zorvaxCommand(unreachable, home, "set dialog 0 set Filename /no/dir/x call saveFile a"));
  EXPECT_EQ(fallback.status, 0) << fallback.err;
  EXPECT_NE(fallback.err.find("[ERROR]"), std::string::npos) << "the box on the console";
  auto unreached = runCommand(zorvaxCommand(unreachable, home, "--ui=qt call getVersion"));
  EXPECT_EQ(unreached.status, 2);
  EXPECT_NE(unreached.err.find("cannot open the display"), std::string::npos) << unreached.err;
  auto noControlWindow = runCommand(zorvaxCommand(noDisplay, home, "--ui=console --show-control call getVersion"));
  EXPECT_EQ(noControlWindow.status, 2) << "the control's window needs the desktop";
}

TEST_F(DesktopSession, ABrowserHostWaitingOnTheConsentDialogEndsWhenItsPageGoes) {
  for (const bool bySignal : {false, true}) {
    int input = -1;
    pid_t host = startBrowserHost(input);
    const std::string create = hosttest::frame(std::string(R"({"id":1,"origin":"https://asking.example","create":true})"));
    ASSERT_EQ(::write(input, create.data(), create.size()), static_cast<ssize_t>(create.size()));
    ASSERT_FALSE(waitForWindow("ZorvAX 웹 사이트 허용").empty()) << errors();
    // The browser closes the pipe, or asks the host to stop while the pipe stays open.
    if (bySignal) ::kill(host, SIGTERM);
    else ::close(input);
    EXPECT_EQ(waitForExit(host, 20s), 0) << (bySignal ? "SIGTERM" : "end of input") << "\n" << errors();
    if (bySignal) ::close(input);
    auto replies = hosttest::replies(output());
    ASSERT_EQ(replies.size(), 1u) << output();
    EXPECT_EQ(replies[0]["code"], "0x80070005") << "nobody answered: refused";
  }
}

TEST_F(DesktopSession, AboutBoxIsAWindowNamedByItsCaptionAndEnterClosesIt) {
  pid_t zorvax = startZorvax("call AboutBox call getVersion");
  ASSERT_TRUE(answer("About ZorvAX Control", "Return", "xvfb_about_box"));
  EXPECT_EQ(waitForExit(zorvax, 20s), 0) << errors();
  EXPECT_EQ(output(), "3.1.0\n") << "the statement after the box ran once it was closed";
}

TEST_F(DesktopSession, SaveFileDialogIsCancelledWithEsc) {
  pid_t zorvax = startZorvax("set Filename memo.txt call saveFile 본문");
  ASSERT_TRUE(answer("다른 이름으로 저장", "Escape", "xvfb_save_dialog"));
  EXPECT_EQ(waitForExit(zorvax, 20s), 0) << errors();
  EXPECT_EQ(output(), "-2\n") << "cancelled by the user";
}

TEST_F(DesktopSession, KoreanBoxIsFoundByItsCaptionAndAnsweredFromTheKeyboard) {
  pid_t zorvax = startZorvax("set Filename '" + home_.file("없는 파일.hwp") + "' call showFile call getVersion");
  ASSERT_TRUE(answer("파일열기", "Return", "xvfb_box"));
  EXPECT_EQ(waitForExit(zorvax, 20s), 0) << errors();
  EXPECT_EQ(output(), "3.1.0\n");
}

TEST_F(DesktopSession, DownloadShowsTheChoiceThenTheProgressDialog) {
  // No key is set and nothing listens on the port: once its progress dialog is open, the
  // download fails with two boxes.
  pid_t zorvax = startZorvax("set url http://127.0.0.1:9/doc set Filename 보고서.hwp call download u s 1 1");
  ASSERT_TRUE(answer("DOWNLOAD", "Return", "xvfb_status_choice"));  // Open has the focus
  ASSERT_FALSE(waitForWindow("암호키오류").empty()) << errors();
  EXPECT_FALSE(waitForWindow("DOWNLOAD").empty()) << "the progress dialog is on screen under the box";
  ASSERT_TRUE(answer("암호키오류", "Return", "xvfb_status_progress"));
  ASSERT_TRUE(answer("OPEN ERROR", "Return"));
  EXPECT_EQ(waitForExit(zorvax, 20s), 0) << errors();
  EXPECT_EQ(output(), "-1\n");
}

TEST_F(DesktopSession, ADownloadFromASilentServerIsCancelledFromTheKeyboardAtOnce) {
  zxtest::PeerProcess peer;
  peer.putDocument("보고서.txt", "QUJD\r\nREVG\r\n");
  pid_t zorvax = startZorvax("set url '" + peer.downloadUrl("/docs/report.txt?doc=%EB%B3%B4%EA%B3%A0%EC%84%9C.txt&hang=1") +
                             "' set Pubkey " + peer.publicKey() + " set Filename 보고서.txt call download u s 0 0");
  std::string choice = waitForWindow("DOWNLOAD");
  ASSERT_FALSE(choice.empty()) << errors();
  pressKey(choice, "Return");  // Open has the focus
  // The progress dialog stays alive while the server keeps silent: it is painted, and takes keys.
  std::string progress = waitForWindow("DOWNLOAD", choice);
  ASSERT_FALSE(progress.empty()) << errors();
  std::this_thread::sleep_for(500ms);
  screenshot("xvfb_download_waiting");
  pressKey(progress, "Escape");
  ASSERT_TRUE(answer("질문", "Escape", "xvfb_download_cancel_question")) << "Esc on the question: go on waiting";
  pressKey(progress, "Escape");
  std::string question = waitForWindow("질문");
  ASSERT_FALSE(question.empty()) << errors();
  Geometry p = geometry(progress), q = geometry(question);
  EXPECT_NEAR(q.x + q.width / 2, p.x + p.width / 2, 2) << "the question is centred over the progress dialog";
  EXPECT_NEAR(q.y + q.height / 2, p.y + p.height / 2, 2);
  pressKey(question, "Return");  // Yes is the default
  auto yes = std::chrono::steady_clock::now();
  std::string cancelled = waitForWindow("취소");
  auto ended = std::chrono::steady_clock::now() - yes;
  ASSERT_FALSE(cancelled.empty()) << errors();
  EXPECT_LT(ended, 5s) << "the cancel ends the wait, not the 60 s silence limit";
  pressKey(cancelled, "Return");
  EXPECT_EQ(waitForExit(zorvax, 20s), 0) << errors();
  EXPECT_EQ(output(), "-2\n");
  EXPECT_EQ(peer.requestCount(), 1u);
}

TEST_F(DesktopSession, ShowControlOpensTheControlsPictureAndItsBoxesSitOverIt) {
  pid_t zorvax = startZorvax("--show-control call AboutBox call getVersion");
  std::string control = waitForWindow("ZorvAX Control");
  ASSERT_FALSE(control.empty()) << errors();
  std::string about = waitForWindow("About ZorvAX Control");
  ASSERT_FALSE(about.empty()) << errors();
  screenshot("xvfb_show_control");
  Geometry c = geometry(control), a = geometry(about);
  EXPECT_EQ(c.width, 200);
  EXPECT_EQ(c.height, 100);
  EXPECT_NEAR(a.x + a.width / 2, c.x + c.width / 2, 2) << "the About box is centred over the control";
  EXPECT_NEAR(a.y + a.height / 2, c.y + c.height / 2, 2);
  EXPECT_GE(a.x, 0) << "on the screen";
  EXPECT_GE(a.y, 0);
  // The box is wider than the control but not as tall: the picture shows along its top edge,
  // white fill with the ellipse's outline touching the edge in the middle.
  EXPECT_GT(a.y, c.y + 1) << "the About box leaves the control's top edge free";
  if (a.y > c.y + 1) {
    EXPECT_EQ(pixel(c.x + 2, c.y + 1), "#FFFFFF") << "white fill in the corner";
    bool outline = false;
    for (int px = c.x + c.width / 2 - 5; px <= c.x + c.width / 2 + 5 && !outline; ++px)
      outline = pixel(px, c.y) == "#000000";
    EXPECT_TRUE(outline) << "the ellipse touches the top edge in its middle";
  }
  pressKey(about, "Return");
  EXPECT_EQ(waitForExit(zorvax, 20s), 0) << errors();
  EXPECT_EQ(output(), "3.1.0\n");
}

}  // namespace
}  // namespace zx::test
