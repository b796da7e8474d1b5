// The file scope of a control a web page drives: what it reaches at once, what only after the
// user's answer, and what never; judged by where a path really leads.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/config_store.h"
#include "core/origin_grants.h"
#include "core/page_scope.h"
#include "platform/codepage.h"
#include "platform/console_ui.h"
#include "platform/headless_dialog.h"
#include "support/zx_test.h"
#include "ui/path_consent.h"

namespace zx {
namespace {

using test::ControlTest;
namespace fs = std::filesystem;

const std::string kSite = "https://docs.example";

std::string real(const std::string& path) { return fs::weakly_canonical(path).string(); }

// A person at the path question: reads what it says, then clicks `button` (0: nobody acts).
class PathQuestionReader : public platform::ConsoleUi, public platform::DialogObserver {
 public:
  std::unique_ptr<platform::DialogView> createDialog(const platform::DialogTemplate& dialogTemplate,
                                                     platform::DialogHandler& handler, platform::Owner owner) override {
    return std::make_unique<platform::HeadlessDialogView>(dialogTemplate, handler, owner, this);
  }
  bool modalStep(platform::HeadlessDialogView& view) override {
    if (view.ended() || view.templateId() != pathdlg::kTemplateId) return false;
    ++questions;
    for (int item : {pathdlg::kOriginText, pathdlg::kOperationText, pathdlg::kPathText})
      said[item] = platform::ansiToUtf8(view.itemText(item));
    return button != 0 && view.press(button);
  }

  int button = 0;
  int questions = 0;
  std::map<int, std::string> said;
};

class PageScope : public ControlTest {
 protected:
  void SetUp() override {
    setDownloadDirectory(registry(), downloads.path());
    services.useUi(person);
  }
  std::unique_ptr<CZorvAXCtrl> pageControl() {
    auto c = makeControl();
    c->pageOrigin = kSite;
    put(*c, "dialog", "0");
    return c;
  }
  PathReach reachOf(const ControlState& control, const std::string& path) {
    return judgePagePath(env(), control, path).reach;
  }

  test::TempDir downloads;
  test::TempDir elsewhere;
  PathQuestionReader person;
};

TEST_F(PageScope, APathIsJudgedByWhereItLeads) {
  auto c = pageControl();
  EXPECT_EQ(reachOf(*c, downloads.file("new.txt")), PathReach::Inside);
  EXPECT_EQ(reachOf(*c, tmp.file("new.txt")), PathReach::Inside) << "the control's temporary folder";
  fs::create_directories(downloads.file("sub"));
  EXPECT_EQ(reachOf(*c, downloads.file("sub/new.txt")), PathReach::Inside);

  const PathJudgement outside = judgePagePath(env(), *c, elsewhere.file("a.txt"));
  EXPECT_EQ(outside.reach, PathReach::Outside);
  EXPECT_EQ(outside.path, real(elsewhere.file("a.txt")));
  EXPECT_EQ(outside.folder, real(elsewhere.path()));

  // ".." and links are followed before the rule applies.
  const std::string climbing = downloads.file("..") + "/" + fs::path(elsewhere.path()).filename().string() + "/a.txt";
  EXPECT_EQ(judgePagePath(env(), *c, climbing).path, real(elsewhere.file("a.txt")));
  EXPECT_EQ(reachOf(*c, climbing), PathReach::Outside);
  test::writeFile(elsewhere.file("secret"), "s");
  fs::create_symlink(elsewhere.file("secret"), downloads.file("link"));
  EXPECT_EQ(reachOf(*c, downloads.file("link")), PathReach::Outside);
  fs::create_symlink(elsewhere.file("nothing"), downloads.file("dangling"));
  EXPECT_EQ(reachOf(*c, downloads.file("dangling")), PathReach::Never) << "a link that leads nowhere";
  EXPECT_EQ(reachOf(*c, elsewhere.file("no-folder/a.txt")), PathReach::Never);

  // What the user picked, what the control made, what the user granted to this origin.
  c->recordPicked(elsewhere.file("picked.txt"));
  c->recordProduced(elsewhere.file("made.txt"));
  EXPECT_EQ(reachOf(*c, elsewhere.file("picked.txt")), PathReach::Inside);
  EXPECT_EQ(reachOf(*c, elsewhere.file("made.txt")), PathReach::Inside);
  EXPECT_EQ(reachOf(*c, elsewhere.file("other.txt")), PathReach::Outside);
  ASSERT_TRUE(grantFolder(registry(), "https://other.example", real(elsewhere.path())));
  EXPECT_EQ(reachOf(*c, elsewhere.file("other.txt")), PathReach::Outside) << "another origin's folder";
  ASSERT_TRUE(grantFolder(registry(), kSite, real(elsewhere.path())));
  EXPECT_EQ(reachOf(*c, elsewhere.file("other.txt")), PathReach::Inside);
  EXPECT_EQ(reachOf(*c, downloads.file("link")), PathReach::Inside) << "it leads into the granted folder";
}

TEST_F(PageScope, TheConfigurationHomeAndTheCompanionAreNeverReached) {
  test::writeFile(elsewhere.file("ZorvC.EXE"), "program");
  writeConfigValue(registry(), "Path", elsewhere.path());
  auto c = pageControl();
  person.button = pathdlg::kOnceButton;  // the user would allow it: nobody is asked
  const std::string store = home.file("registry.db");
  ASSERT_TRUE(fs::exists(store));
  c->Filename = store;
  EXPECT_EQ(c->saveFile("over the store"), -1);
  c->Filename = elsewhere.file("ZorvC.EXE");
  EXPECT_EQ(c->saveFile("over the companion"), -1);
  EXPECT_EQ(test::readFile(elsewhere.file("ZorvC.EXE")), "program");
  EXPECT_EQ(person.questions, 0);
  fs::create_symlink(home.path(), downloads.file("home"));
  EXPECT_EQ(reachOf(*c, downloads.file("home/registry.db")), PathReach::Never);

  // The user's own program has no page scope, but the same places stay closed.
  auto own = makeControl();
  EXPECT_EQ(reachOf(*own, elsewhere.file("a.txt")), PathReach::Inside);
  EXPECT_EQ(judgePagePath(env(), *own, elsewhere.file("a.txt")).path, elsewhere.file("a.txt"));
  EXPECT_EQ(reachOf(*own, store), PathReach::Never);
}

TEST_F(PageScope, OutsideTheScopeTheUserIsAskedAndTheAnswerHolds) {
  auto c = pageControl();
  c->Filename = elsewhere.file("a.txt");
  EXPECT_EQ(c->saveFile("denied"), -1) << "nobody acting denies";
  EXPECT_FALSE(fs::exists(elsewhere.file("a.txt")));
  ASSERT_EQ(person.questions, 1);
  EXPECT_EQ(person.said[pathdlg::kOriginText], kSite);
  EXPECT_EQ(person.said[pathdlg::kOperationText], "작업: 파일 쓰기 또는 바꾸기");
  EXPECT_EQ(person.said[pathdlg::kPathText], real(elsewhere.file("a.txt")));

  person.button = pathdlg::kOnceButton;
  EXPECT_EQ(c->saveFile("once"), 0);
  EXPECT_EQ(test::readFile(elsewhere.file("a.txt")), "once");
  c->Filename = elsewhere.file("b.txt");
  person.button = pathdlg::kDenyButton;
  EXPECT_EQ(c->saveFile("denied"), -1) << "once is once";
  EXPECT_EQ(person.questions, 3);

  person.button = pathdlg::kFolderButton;
  EXPECT_EQ(c->saveFile("always"), 0);
  EXPECT_EQ(grantedFolders(registry(), kSite), std::vector<std::string>{real(elsewhere.path())});
  person.button = 0;
  c->Filename = elsewhere.file("c.txt");
  EXPECT_EQ(c->saveFile("granted"), 0);
  EXPECT_EQ(person.questions, 4) << "the granted folder is not asked about again";
  EXPECT_TRUE(forgetGrantedFolders(registry(), kSite));
  EXPECT_TRUE(grantedFolders(registry(), kSite).empty());
}

TEST_F(PageScope, ShowFileAndUploadAskAboutTheirOwnOperation) {
  auto c = pageControl();
  test::writeFile(elsewhere.file("id_rsa"), "private key");
  test::writeFile(downloads.file("doc.txt"), "document");
  c->Filename = elsewhere.file("id_rsa");
  call(*c, "showFile");
  EXPECT_TRUE(shell.requests.empty()) << "nothing opened";
  EXPECT_EQ(person.said[pathdlg::kOperationText], "작업: 파일 열기");
  put(*c, "url", "http://127.0.0.1:9/upload");
  EXPECT_EQ(call(*c, "upload", {text("u"), text("0"), text("0")}).intValue(), -1);
  EXPECT_EQ(person.said[pathdlg::kOperationText], "작업: 파일을 서버로 보내기");
  EXPECT_EQ(textOf(call(*c, "getPath")), "") << "the page's file was never taken up";
  EXPECT_EQ(person.questions, 2);

  c->Filename = downloads.file("doc.txt");
  call(*c, "showFile");
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].target, real(downloads.file("doc.txt")));
  EXPECT_EQ(person.questions, 2);
}

TEST_F(PageScope, GrantsAreKeptPerOriginOnTheirOwnLines) {
  EXPECT_TRUE(grantFolder(registry(), "https://a.example/", "/srv/one"));
  EXPECT_TRUE(grantFolder(registry(), "https://a.example", "/srv/two"));
  EXPECT_TRUE(grantFolder(registry(), "https://a.example", "/srv/one"));
  EXPECT_FALSE(grantFolder(registry(), "https://a.example", "/srv/x\ny"));
  EXPECT_FALSE(grantFolder(registry(), "file:///", "/srv/one"));
  EXPECT_TRUE(grantFolder(registry(), "http://b.example:8080", "/srv/b"));
  using Listing = std::vector<std::pair<std::string, std::vector<std::string>>>;
  EXPECT_EQ(allGrantedFolders(registry()),
            (Listing{{"http://b.example:8080", {"/srv/b"}}, {"https://a.example", {"/srv/one", "/srv/two"}}}));
  // A page cannot reach them as package values.
  auto c = makeControl();
  put(*c, "Package", "WebOrigins\\Folders");
  EXPECT_EQ(textOf(call(*c, "getRegisterValue", {text("https://a.example")})), "");
}

}  // namespace
}  // namespace zx
