// The win32 platform services on the system itself (under Wine in CI): the registry, files and
// the runtime's temporary names, the code page, the thread's message queue, the URL splitter,
// the version query, the adapter library, the launcher and the XML DOM.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/adapters.h"
#include "platform/codepage.h"
#include "platform/http.h"
#include "platform/module_file.h"
#include "platform/osinfo.h"
#include "platform/shell.h"
#include "platform/win32/fs_win32.h"
#include "platform/win32/message_queue_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/xmldom.h"

#include "platform/win32/system_headers.h"

namespace zx::platform {
namespace {

const std::string kHangul = "\xC7\xD1\xB1\xDB";  // 한글 in code page 949

TEST(Win32Registry, ValuesRoundTripUnderTheCurrentUserAndTreesGoWhole) {
  Win32Registry registry;
  const std::string path = "Software\\QORAX\\ZorvAX0\\" + kHangul + "Test";
  auto key = registry.createKey(Hive::CurrentUser, path, reg::kKeyAllAccess);
  ASSERT_TRUE(key);
  const std::string value = kHangul + " value";
  ASSERT_EQ(registry.setValue(*key, "k", REG_SZ, value.data(), static_cast<std::uint32_t>(value.size())),
            reg::kSuccess);
  char buffer[64] = {};
  std::uint32_t size = sizeof buffer, type = 0;
  ASSERT_EQ(registry.queryValue(*key, "k", buffer, &size, &type), reg::kSuccess);
  // The system hands a text back with its terminating zero; readers stop at the first zero.
  EXPECT_EQ(std::string(buffer), value);
  EXPECT_EQ(type, REG_SZ);
  size = 2;
  EXPECT_EQ(registry.queryValue(*key, "k", buffer, &size), reg::kMoreData);
  EXPECT_EQ(registry.values(*key).size(), 1u);
  auto child = registry.createKey(Hive::CurrentUser, path + "\\child", reg::kKeyAllAccess);
  ASSERT_TRUE(child);
  EXPECT_EQ(registry.subkeys(*key), std::vector<std::string>{"child"});
  child.reset();
  key.reset();
  EXPECT_EQ(registry.deleteTree(Hive::CurrentUser, path), reg::kSuccess);
  long status = 0;
  EXPECT_FALSE(registry.openKey(Hive::CurrentUser, path, reg::kMaximumAllowed, &status));
  EXPECT_EQ(status, reg::kFileNotFound);
}

TEST(Win32FileSystem, TemporaryNamesFollowTmpAndRenamesNeverReplace) {
  Win32FileSystem fs;
  const std::string folder = fs.systemTempDirectory() + "\\zx" + kHangul + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(fs.makeDirectories(folder + "\\inner"));
  // The runtime reads its own copy of the environment.
  _putenv_s("TMP", (folder + "\\inner").c_str());
  const std::string first = fs.tempName(folder, "");
  _putenv_s("TMP", (folder + "\\missing").c_str());
  const std::string second = fs.tempName(folder, "");
  EXPECT_EQ(first.rfind(folder + "\\inner\\", 0), 0u) << first << ": TMP names an existing folder";
  EXPECT_EQ(second.rfind(folder + "\\", 0), 0u) << second << ": the given folder when TMP names none";
  EXPECT_EQ(second.find("\\inner\\"), std::string::npos) << second;
  ASSERT_TRUE(fs.createExclusive(first));
  EXPECT_FALSE(fs.createExclusive(first)) << "exclusive creation fails for an existing file";
  ASSERT_TRUE(fs.createExclusive(second));
  EXPECT_FALSE(fs.renameFile(first, second)) << "a rename never replaces";
  EXPECT_EQ(fs.fileSize(first), std::optional<std::uint64_t>(0));
  EXPECT_TRUE(fs.removeFile(first));
  EXPECT_TRUE(fs.renameFile(second, first));
  EXPECT_FALSE(fs.exists(second));
  EXPECT_TRUE(fs.isRegularFile(first));
  EXPECT_TRUE(fs.isDirectory(folder));
  fs.removeFile(first);
  // The whole prefix is kept, so that the start-up clean-up finds an abandoned file by it.
  _putenv_s("TMP", "");
  const std::string part = fs.tempName(folder, "zxpart-");
  EXPECT_EQ(part.rfind(folder + "\\zxpart-", 0), 0u) << part;
  ASSERT_TRUE(fs.createExclusive(part));
  const HANDLE file = CreateFileA(part.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  FILETIME longAgo{};
  longAgo.dwHighDateTime = 0x01D00000;  // 2015
  SetFileTime(file, nullptr, nullptr, &longAgo);
  CloseHandle(file);
  EXPECT_EQ(fs.removeAbandoned(folder, "zxpart-", std::chrono::hours(1)), 1);
  EXPECT_FALSE(fs.exists(part));
  RemoveDirectoryA((folder + "\\inner").c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST(Win32Codepage, KoreanCrossesEveryBoundaryAndBadBytesBecomeReplacements) {
  EXPECT_EQ(ansiToUtf16(kHangul), u"\uD55C\uAE00");
  EXPECT_EQ(utf16ToAnsi(u"\uD55C\uAE00"), kHangul);
  EXPECT_EQ(ansiToUtf8(kHangul), "\xED\x95\x9C\xEA\xB8\x80");
  EXPECT_EQ(utf8ToAnsi("\xED\x95\x9C\xEA\xB8\x80"), kHangul);
  EXPECT_EQ(ansiToUtf16("a\xC7"), u"a\uFFFD") << "a lead byte at the end";
  EXPECT_EQ(ansiToUtf16("\xC7\x01z"), u"\uFFFD\u0001z") << "a lead byte before a byte that cannot follow it";
  EXPECT_EQ(utf16ToAnsi(u"\u00E9\u4E00"), std::string("?") + "\xEC\xE9") << "what the code page lacks becomes ?";
}

TEST(Win32MessageQueue, PumpTakesAtMostTheLimitFromTheThreadsRealQueue) {
  Win32MessageQueue queue;
  int ran = 0;
  for (int i = 0; i < 150; ++i) queue.post([&ran] { ++ran; });
  EXPECT_EQ(queue.pending(), 150u);
  EXPECT_EQ(queue.pump(100), 100);
  EXPECT_EQ(ran, 100);
  EXPECT_EQ(queue.pending(), 50u);
  // The system's own messages for the thread's windows are dispatched by the same pump.
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  ASSERT_TRUE(PostMessageW(window, WM_USER, 0, 0));
  EXPECT_EQ(queue.pump(100), 51);
  EXPECT_EQ(ran, 150);
  EXPECT_EQ(queue.pump(100), 0) << "an empty queue returns at once";
  DestroyWindow(window);
}

TEST(Win32System, VersionAdaptersLauncherAndModuleFile) {
  SystemOsInfo os;
  OsVersion version;
  ASSERT_TRUE(os.queryVersion(version));
  EXPECT_GE(version.majorVersion, 6u);
  OsVersion wrongSize;
  wrongSize.size = 100;
  EXPECT_FALSE(os.queryVersion(wrongSize));

  adapters::SystemAdapters source;
  EXPECT_FALSE(source.load("NoSuchLibrary.dll"));
  auto library = source.load(adapters::kLibraryName);
  ASSERT_TRUE(library);
  EXPECT_TRUE(library->hasFunction(adapters::kFunctionName));
  EXPECT_FALSE(library->hasFunction("NoSuchFunction"));
  std::vector<adapters::AdapterInfo> found;
  const std::uint32_t result = library->getAdaptersInfo(found, 32768);
  EXPECT_TRUE(result == adapters::kNoError || result == adapters::kErrorNoData) << result;
  EXPECT_NE(library->getAdaptersInfo(found, 1), adapters::kNoError) << "a block too small never fits";

  SystemShell shell;
  // As Windows answers: a missing folder is "path not found", a missing program in an existing
  // folder "file not found".
  EXPECT_EQ(shell.launch("c:\\No Such Folder\\ZorvC.EXE", {"-PKGNAME", "X"}, {}), launch::kPathNotFound);
  EXPECT_EQ(shell.launch("c:\\windows\\NoSuchProgram.EXE", {"-PKGNAME", "X"}, {}), launch::kFileNotFound);
  EXPECT_NE(moduleFileName().find("platform_win32_test.exe"), std::string::npos) << moduleFileName();
}

class Win32XmlDom : public testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(Win32XmlDom, TheSystemsDomLoadsCopiesAndItsTextNamesNoEncoding) {
  std::shared_ptr<ole::Dispatch> page, copy;
  ASSERT_EQ(createXmlDocument(page), S_OK);
  ASSERT_EQ(createXmlDocument(copy), S_OK);
  XmlDomDocument* pageDocument = asXmlDomDocument(page.get());
  XmlDomDocument* copyDocument = asXmlDomDocument(copy.get());
  ASSERT_TRUE(pageDocument && copyDocument);
  bool loaded = false;
  // A text is Unicode: the encoding its declaration names is no longer true of it and is not
  // kept, so a file written from the text can name its own.
  ASSERT_EQ(pageDocument->loadXml(u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<a>\uD55C</a>",
                                  loaded), S_OK);
  ASSERT_TRUE(loaded);
  std::u16string text;
  ASSERT_EQ(pageDocument->getXml(text), S_OK);
  EXPECT_EQ(text.find(u"encoding"), std::u16string::npos) << platform::utf16ToUtf8(text);
  EXPECT_EQ(text.rfind(u"<?xml version=\"1.0\"", 0), 0u) << platform::utf16ToUtf8(text);
  EXPECT_NE(text.find(u"standalone"), std::u16string::npos) << "the rest of the declaration stays";
  EXPECT_NE(text.find(u"<a>\uD55C</a>"), std::u16string::npos);
  ASSERT_EQ(pageDocument->save(ole::Variant::fromDispatch(copy)), S_OK);
  std::u16string copied;
  ASSERT_EQ(copyDocument->getXml(copied), S_OK);
  EXPECT_EQ(copied, text) << "saving into another document copies it";
  EXPECT_NE(pageDocument->loadXml(u"<a><b></a>", loaded), S_OK);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(asXmlDomDocument(nullptr), nullptr);
}

}  // namespace
}  // namespace zx::platform
