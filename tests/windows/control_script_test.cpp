// The module as a Windows user gets it: regsvr32 registers zorvax.ocx, reg shows what it wrote,
// JScript run by cscript creates the control by its ProgID and drives it against the document
// server on loopback, and regsvr32 /u takes it out again. Boxes the control shows are answered
// by a watcher that finds them by caption and presses their button, as a person would.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/script_host.h"

namespace zx::wintest {
namespace {

const wchar_t kClassKey[] = L"HKCR\\CLSID\\{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}";
const wchar_t kProgIdKey[] = L"HKCR\\ZORVAX.ZorvAXCtrl.1";
const wchar_t kTypeLibKey[] = L"HKCR\\TypeLib\\{412532B1-0C61-4900-8767-647BD63CA0C5}";
const wchar_t kScriptableCategory[] = L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
const wchar_t kInitializableCategory[] = L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}";
// The document the server holds, named in Korean, and its name as JScript writes it.
const wchar_t kDocumentName[] = L"\uBCF4\uACE0\uC11C 2024.hwp";
const char kDocumentNameScript[] = "\\ubcf4\\uace0\\uc11c 2024.hwp";

std::string describe(const ChildRun& run) {
  return "exit " + std::to_string(run.exitCode) + (run.timedOut ? " (timed out)" : "") + ", output:\n" + run.output;
}

ChildRun regQuery(const std::wstring& key, const std::wstring& options = L"") {
  return runChild(L"reg.exe query " + quoted(key) + (options.empty() ? L"" : L" " + options));
}

ChildRun regsvr32(const std::wstring& switches) { return runChild(L"regsvr32.exe " + switches + L" " + quoted(modulePath())); }

// A JScript string literal of ASCII text.
std::string literal(const std::string& text) {
  std::string quotedText = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quotedText += '\\';
    quotedText += c;
  }
  return quotedText + "\"";
}

// The control made by ProgID, `body` run on it as `c`, each failure echoed as its code.
std::string controlScript(const std::string& body) {
  return "function code(e) { return 'error ' + (e.number >>> 0).toString(16); }\n"
         "var c = null;\n"
         "try { c = new ActiveXObject('ZORVAX.ZorvAXCtrl.1'); } catch (e) { WScript.Echo('create: ' + code(e)); }\n"
         "function run(label, f) { try { WScript.Echo(label + ': ' + f()); } catch (e) { WScript.Echo(label + ': ' + code(e)); } }\n"
         "if (c !== null) {\n" + body + "\n}\n";
}

std::vector<std::wstring> lines(const std::string& output) {
  std::vector<std::wstring> found;
  std::wstring text = fromKorean(output);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    found.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return found;
}

// The newest file below the folder whose name ends with `suffix`.
std::wstring newestFile(const std::wstring& folder, const std::wstring& suffix) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  do {
    std::wstring name = found.cFileName;
    if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  if (names.empty()) return {};
  return folder + L"\\" + *std::max_element(names.begin(), names.end());
}

// An ASCII path as the text of a script string literal: each backslash doubled.
std::string scriptPath(const std::wstring& path) {
  std::string text;
  for (wchar_t ch : path) {
    if (ch == L'\\') text += "\\\\";
    else text += static_cast<char>(ch);
  }
  return text;
}

class ControlScript : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    registration = regsvr32(L"/s");
  }
  static void TearDownTestSuite() { regsvr32(L"/u /s"); }

  void SetUp() override { ASSERT_EQ(registration.exitCode, 0u) << describe(registration); }

  ChildRun script(const std::string& body) { return runJScript(folder, controlScript(body), 60000); }

  static std::string setting(const char* name) {
    std::string value = serverSetting(name);
    EXPECT_FALSE(value.empty()) << name << " is not set: run the test through with_docserver.sh";
    return value;
  }

  static inline ChildRun registration;
  ScratchFolder folder;
};

TEST_F(ControlScript, RegistrationNamesTheModuleTheTypeLibraryAndBothCategories) {
  ChildRun run = regQuery(std::wstring(kProgIdKey) + L"\\CLSID");
  ASSERT_EQ(run.exitCode, 0u) << describe(run);
  EXPECT_NE(run.output.find("{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}"), std::string::npos) << run.output;

  run = regQuery(std::wstring(kClassKey) + L"\\InprocServer32");
  ASSERT_EQ(run.exitCode, 0u) << describe(run);
  EXPECT_NE(run.output.find("zorvax.ocx"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Apartment"), std::string::npos) << run.output;

  run = regQuery(std::wstring(kClassKey) + L"\\MiscStatus\\1");
  EXPECT_NE(run.output.find("131473"), std::string::npos) << run.output;

  run = regQuery(kTypeLibKey, L"/s");
  ASSERT_EQ(run.exitCode, 0u) << describe(run);
  EXPECT_NE(run.output.find("ZorvAX ActiveX Control module"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(sizeof(void*) == 8 ? "\\409\\win64" : "\\409\\win32"), std::string::npos) << run.output;

  for (const wchar_t* category : {kScriptableCategory, kInitializableCategory}) {
    run = regQuery(std::wstring(kClassKey) + L"\\Implemented Categories\\" + category);
    EXPECT_EQ(run.exitCode, 0u) << describe(run);
  }
  run = regQuery(std::wstring(L"HKCR\\Component Categories\\") + kScriptableCategory);
  EXPECT_NE(run.output.find("Controls that are safely scriptable"), std::string::npos) << run.output;
}

TEST_F(ControlScript, AFreshControlAnswersItsDefaults) {
  ChildRun run = script(
      "var names = ['Port', 'Package', 'Hostname', 'Pubkey', 'Filename', 'url', 'size', 'FileFilter', 'dialog', 'ret'];\n"
      "for (var i = 0; i < names.length; ++i) run(names[i], function () { return '[' + c[names[i]] + ']'; });\n"
      "run('getVersion', function () { return c.getVersion(); });\n"
      "run('getPath', function () { return '[' + c.getPath() + ']'; });");
  EXPECT_EQ(run.output,
            "Port: [80]\r\nPackage: [TENDRIAX]\r\nHostname: [127.0.0.1]\r\nPubkey: []\r\nFilename: []\r\nurl: []\r\n"
            "size: [0]\r\nFileFilter: []\r\ndialog: [1]\r\nret: [0]\r\ngetVersion: 3.1.0\r\ngetPath: []\r\n")
      << describe(run);
}

TEST_F(ControlScript, PackageValuesLiveInTheUsersRegistry) {
  ChildRun run = script(
      "run('before', function () { return c.setRegisterValue('k', 'v'); });\n"
      "c.Package = 'WINTEST';\n"
      "c.Port = '8080';\n"
      "run('set', function () { return c.setRegisterValue('k', '\\ud55c\\uae00 value'); });\n"
      "run('ifEmpty', function () { return c.setRegisterIfEmpty('k', 'other'); });\n"
      "run('get', function () { return c.getRegisterValue('k'); });\n"
      "run('missing', function () { return '[' + c.getRegisterValue('none') + ']'; });");
  EXPECT_EQ(lines(run.output), (std::vector<std::wstring>{L"before: 1", L"set: 0", L"ifEmpty: 0",
                                                         L"get: \uD55C\uAE00 value", L"missing: []"}))
      << describe(run);

  run = regQuery(L"HKCU\\Software\\QORAX\\ZorvAX0\\WINTEST");
  ASSERT_EQ(run.exitCode, 0u) << describe(run);
  EXPECT_NE(run.output.find(toKorean(L"k    REG_SZ    \uD55C\uAE00 value")), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Port    REG_SZ    8080"), std::string::npos) << run.output;
}

// The system stores a text with its terminating zero: a text of the full 1024 characters must
// still read back whole (and count as present), as on Linux; a longer one is unreadable.
TEST_F(ControlScript, AValueOfTheFullLengthReadsBackWhole) {
  ChildRun run = script(
      "c.Package = 'WINTEST';\n"
      "var full = new Array(1025).join('x');\n"
      "run('set', function () { return c.setRegisterValue('full', full); });\n"
      "run('length', function () { return c.getRegisterValue('full').length; });\n"
      "run('ifEmpty', function () { return c.setRegisterIfEmpty('full', 'short'); });\n"
      "run('kept', function () { return c.getRegisterValue('full') == full; });\n"
      "run('over', function () { return c.setRegisterValue('over', full + 'y'); });\n"
      "run('overLength', function () { return c.getRegisterValue('over').length; });");
  EXPECT_EQ(lines(run.output), (std::vector<std::wstring>{L"set: 0", L"length: 1024", L"ifEmpty: 0", L"kept: true",
                                                         L"over: 0", L"overLength: 0"}))
      << describe(run);
}

TEST_F(ControlScript, CipheredCompressedKoreanDocumentArrivesByteForByte) {
  BoxWatcher watcher({});
  const std::string url = setting("ZX_DOCSERVER_DOWNLOAD_URL");
  const std::string pubkey = setting("ZX_DOCSERVER_PUBKEY");
  ChildRun run = script("c.url = " + literal(url) + " + '" + kDocumentNameScript + "';\n"
                        "c.Pubkey = " + literal(pubkey) + ";\n"
                        "c.dialog = '0';\n"
                        "c.Filename = '" + kDocumentNameScript + "';\n"
                        "run('download', function () { return c.download('user01', 'session01', '1', '1'); });\n"
                        "run('ret', function () { return c.ret; });\n"
                        "WScript.Echo(c.Filename);\n"
                        "run('getPath', function () { return c.getPath() == c.Filename; });");
  std::vector<std::wstring> out = lines(run.output);
  // The progress dialog is the one window a download without dialogs shows; no box comes.
  for (const std::wstring& window : watcher.seen())
    EXPECT_EQ(window.rfind(L"DOWNLOAD|", 0), 0u) << "a box came: " << toKorean(window);
  // The decipher step's size line on the standard error stream comes first.
  ASSERT_EQ(out.size(), 5u) << describe(run);
  EXPECT_EQ(out[0].rfind(L"decipher : ", 0), 0u) << describe(run);
  EXPECT_EQ(out[1], L"download: 0");
  EXPECT_EQ(out[2], L"ret: 0");
  EXPECT_EQ(out[4], L"getPath: true");
  const std::wstring& local = out[3];
  EXPECT_EQ(local.substr(local.find_last_of(L'\\') + 1), kDocumentName);
  const std::string original = readBytes(fromKorean(setting("ZX_DOCSERVER_DATA")) + L"\\" + kDocumentName);
  ASSERT_EQ(original.size(), 300000u);
  EXPECT_TRUE(readBytes(local) == original) << "the downloaded file differs from the server's document";
  DeleteFileW(local.c_str());
}

// A download the server answers with 401 until the request carries its user and password.
std::string passwordDownloadScript(const std::string& url, const std::string& pubkey, const std::string& filename) {
  return "c.url = " + literal(url) + " + '" + kDocumentNameScript + "?auth=1';\n"
         "c.Pubkey = " + literal(pubkey) + ";\n"
         "c.dialog = '0';\n"
         "c.Filename = " + literal(filename) + ";\n"
         "run('download', function () { return c.download('user01', 'session01', '1', '1'); });\n"
         "run('ret', function () { return c.ret; });\n"
         "run('getPath', function () { return '[' + c.getPath() + ']'; });";
}

// The files of a folder, names only.
std::vector<std::wstring> filesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring temporaryFolder() {
  wchar_t folder[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder, length > 0 ? length - 1 : 0);  // without the closing backslash
}

TEST_F(ControlScript, AServerThatAsksForAPasswordGetsTheOneTypedIntoTheSystemsPrompt) {
  // Boxes the exchange could show instead of retrying: a server response, a library error.
  BoxWatcher errors({L"\uC11C\uBC84\uC751\uB2F5", L"OPEN ERROR"});
  PasswordPromptAnswerer prompt(L"zorvax", L"zorvax", PasswordPromptAnswerer::Press::Ok);
  ChildRun run = script(passwordDownloadScript(setting("ZX_DOCSERVER_DOWNLOAD_URL"), setting("ZX_DOCSERVER_PUBKEY"),
                                               "password.hwp"));
  const std::vector<std::wstring> prompts = prompt.seen();
  for (const std::wstring& seen : prompts) std::cout << "password prompt: " << toKorean(seen) << std::endl;
  ASSERT_EQ(prompts.size(), 1u) << describe(run);
  // The prompt names the server and the realm of its 401, and took what was typed.
  EXPECT_NE(prompts[0].find(L"127.0.0.1"), std::wstring::npos) << toKorean(prompts[0]);
  EXPECT_NE(prompts[0].find(L"zorvax-docserver"), std::wstring::npos) << toKorean(prompts[0]);
  EXPECT_NE(prompts[0].find(L"|zorvax|6"), std::wstring::npos) << toKorean(prompts[0]);
  EXPECT_TRUE(errors.seen().empty()) << toKorean(errors.seen().front());
  std::vector<std::wstring> out = lines(run.output);
  ASSERT_EQ(out.size(), 4u) << describe(run);
  EXPECT_EQ(out[0].rfind(L"decipher : ", 0), 0u) << describe(run);
  EXPECT_EQ(out[1], L"download: 0");
  EXPECT_EQ(out[2], L"ret: 0");
  const std::wstring local = out[3].substr(std::wstring(L"getPath: [").size(), out[3].size() - 11);
  EXPECT_EQ(local.substr(local.find_last_of(L'\\') + 1), L"password.hwp") << describe(run);
  const std::string original = readBytes(fromKorean(setting("ZX_DOCSERVER_DATA")) + L"\\" + kDocumentName);
  ASSERT_EQ(original.size(), 300000u);
  EXPECT_TRUE(readBytes(local) == original) << "the downloaded file differs from the server's document";
  DeleteFileW(local.c_str());
}

TEST_F(ControlScript, ACancelledPasswordPromptEndsTheDownloadQuietlyAndLeavesNoFile) {
  BoxWatcher errors({L"\uC11C\uBC84\uC751\uB2F5", L"OPEN ERROR"});
  PasswordPromptAnswerer prompt(L"", L"", PasswordPromptAnswerer::Press::Cancel);
  const std::vector<std::wstring> before = filesIn(temporaryFolder());
  ChildRun run = script(passwordDownloadScript(setting("ZX_DOCSERVER_DOWNLOAD_URL"), setting("ZX_DOCSERVER_PUBKEY"),
                                               "cancelled.hwp"));
  const std::vector<std::wstring> prompts = prompt.seen();
  for (const std::wstring& seen : prompts) std::cout << "password prompt: " << toKorean(seen) << std::endl;
  ASSERT_EQ(prompts.size(), 1u) << describe(run);
  std::vector<std::wstring> out = lines(run.output);
  ASSERT_EQ(out.size(), 3u) << describe(run);
  EXPECT_EQ(out[0], L"download: -1");
  EXPECT_EQ(out[1], L"ret: -1");
  // getPath still names the file the download worked on, which the failed download removed.
  ASSERT_EQ(out[2].rfind(L"getPath: [", 0), 0u) << describe(run);
  const std::wstring worked = out[2].substr(std::wstring(L"getPath: [").size(), out[2].size() - 11);
  EXPECT_EQ(GetFileAttributesW(worked.c_str()), INVALID_FILE_ATTRIBUTES) << toKorean(worked);
  EXPECT_TRUE(errors.seen().empty()) << "a cancelled prompt says nothing more: " << toKorean(errors.seen().front());
  EXPECT_EQ(filesIn(temporaryFolder()), before) << "no document and no intermediate is left";
}

// The control follows a redirect itself, once (the library's own following stays off): the
// follow-up is a POST without a body (its version is the library's default: HTTP/1.1 under
// Wine), and every unusable redirect ends with -1 without a box, as on Linux.
TEST_F(ControlScript, RedirectsAreFollowedOnceByTheControlsOwnRule) {
  BoxWatcher boxes({});
  const std::wstring requests = fromKorean(setting("ZX_DOCSERVER_STATE")) + L"\\requests";
  auto downloadWith = [&](const std::string& label, const std::string& query) {
    return "c.url = " + literal(setting("ZX_DOCSERVER_DOWNLOAD_URL")) + " + '" + kDocumentNameScript + "?" + query +
           "';\nc.Filename = 'redirected.hwp';\n"
           "run('" + label + "', function () { return c.download('user01', 'session01', '1', '1'); });\n";
  };
  ChildRun run = script("c.Pubkey = " + literal(setting("ZX_DOCSERVER_PUBKEY")) + ";\nc.dialog = '0';\n" +
                        downloadWith("plain", "redirect=302") + "c.removeFile();\n");
  std::vector<std::wstring> out = lines(run.output);
  ASSERT_EQ(out.size(), 2u) << describe(run);
  EXPECT_EQ(out[1], L"plain: 0");
  const std::string followUp = readBytes(newestFile(requests, L".http"));
  const std::string requestLine = followUp.substr(0, followUp.find("\r\n"));
  EXPECT_EQ(requestLine.rfind("POST ", 0), 0u) << requestLine;
  EXPECT_NE(requestLine.find("hop="), std::string::npos) << requestLine;
  EXPECT_EQ(followUp.substr(followUp.find("\r\n\r\n") + 4), "") << "the follow-up sends no body";

  run = script("c.Pubkey = " + literal(setting("ZX_DOCSERVER_PUBKEY")) + ";\nc.dialog = '0';\n" +
               downloadWith("https", "redirect=301&to=https") + downloadWith("noLocation", "redirect=303&to=none") +
               downloadWith("emptyLocation", "redirect=302&to=") +
               downloadWith("notOk", "redirect=302&status=204"));
  EXPECT_EQ(lines(run.output),
            (std::vector<std::wstring>{L"https: -1", L"noLocation: -1", L"emptyLocation: -1", L"notOk: -1"}))
      << describe(run);
  for (const std::wstring& window : boxes.seen())
    EXPECT_EQ(window.rfind(L"DOWNLOAD|", 0), 0u) << "a box came: " << toKorean(window);
}

TEST_F(ControlScript, UploadOverTlsIsStoredExactly) {
  ASSERT_TRUE(trustCertificate(fromKorean(setting("ZX_DOCSERVER_CERT"))));
  std::string bytes;
  for (int i = 0; i < 50000; ++i) bytes += static_cast<char>((i * 13 + (i >> 7)) & 0xFF);
  const std::wstring local = folder.path() + L"upload.bin";
  writeBytes(local, bytes);
  const std::string localScript = scriptPath(local);
  ChildRun run = script("c.url = " + literal(setting("ZX_DOCSERVER_UPLOAD_URL")) + ";\n"
                        "c.dialog = '0';\n"
                        "c.Filename = '" + localScript + "';\n"
                        "run('upload', function () { return c.upload('user01', '0', '0'); });\n"
                        "run('size', function () { return c.size > 50000; });");
  EXPECT_EQ(run.output, "upload: 0\r\nsize: true\r\n") << describe(run);
  const std::wstring stored = newestFile(fromKorean(setting("ZX_DOCSERVER_STATE")) + L"\\uploads", L"upload.bin");
  ASSERT_FALSE(stored.empty()) << "the server stored nothing";
  EXPECT_TRUE(readBytes(stored) == bytes) << "the stored upload differs from the file";
}

// What the watcher saw, less the transfer's own status dialog (captioned DOWNLOAD or UPLOAD).
std::vector<std::wstring> boxesBesideTheStatusDialog(BoxWatcher& watcher) {
  std::vector<std::wstring> boxes;
  for (const std::wstring& window : watcher.seen())
    if (window.rfind(L"DOWNLOAD|", 0) != 0 && window.rfind(L"UPLOAD|", 0) != 0) boxes.push_back(window);
  return boxes;
}

TEST_F(ControlScript, ABodyCutShortIsAFailureAndLeavesNoFile) {
  BoxWatcher watcher({});
  const std::vector<std::wstring> before = filesIn(temporaryFolder());
  const std::string url = setting("ZX_DOCSERVER_DOWNLOAD_URL") + "lines.txt?mode=lines";
  ChildRun run = script("c.dialog = '0';\n"
                        "c.Pubkey = " + literal(setting("ZX_DOCSERVER_PUBKEY")) + ";\n"
                        "c.Filename = 'lines.txt';\n"
                        "c.url = " + literal(url + "&cut=1") + ";\n"
                        "run('cut', function () { return c.download('user01', 'session01', '0', '0'); });\n"
                        "c.url = " + literal(url + "&chunked=1") + ";\n"
                        "run('chunked', function () { return c.download('user01', 'session01', '0', '0'); });\n"
                        "run('getPath', function () { return '[' + c.getPath() + ']'; });");
  std::vector<std::wstring> out = lines(run.output);
  ASSERT_EQ(out.size(), 3u) << describe(run);
  EXPECT_EQ(out[0], L"cut: -1");
  EXPECT_EQ(out[1], L"chunked: 0") << "a whole chunked body is a document";
  const std::wstring local = out[2].substr(std::wstring(L"getPath: [").size(), out[2].size() - 11);
  std::string expected;
  for (int i = 0; i < 4000; ++i) expected += "QUJDREVG" + std::to_string(i);
  EXPECT_TRUE(readBytes(local) == expected) << toKorean(local);
  DeleteFileW(local.c_str());
  // The cut body: the exchange's box for a connection that ended, and no file.
  std::vector<std::wstring> seen = boxesBesideTheStatusDialog(watcher);
  ASSERT_EQ(seen.size(), 1u) << describe(run);
  EXPECT_EQ(seen[0].substr(0, seen[0].find(L'|')), L"OPEN ERROR") << toKorean(seen[0]);
  EXPECT_NE(seen[0].find(L"(12030)"), std::wstring::npos) << toKorean(seen[0]);
  EXPECT_EQ(filesIn(temporaryFolder()), before) << "no part of a cut document is left";
}

TEST_F(ControlScript, AnUploadToAServerWhoseCertificateNamesAnotherHostSendsNothing) {
  ASSERT_TRUE(trustCertificate(fromKorean(setting("ZX_DOCSERVER_ELSEWHERE_CERT"))));
  BoxWatcher watcher({});
  const std::wstring local = folder.path() + L"elsewhere.bin";
  writeBytes(local, "QUJD");
  const std::string localScript = scriptPath(local);
  ChildRun run = script("c.url = " + literal(setting("ZX_DOCSERVER_ELSEWHERE_UPLOAD_URL")) + ";\n"
                        "c.dialog = '0';\n"
                        "c.Filename = '" + localScript + "';\n"
                        "run('upload', function () { return c.upload('user01', '0', '0'); });");
  EXPECT_EQ(run.output, "upload: -1\r\n") << describe(run);
  std::vector<std::wstring> seen = boxesBesideTheStatusDialog(watcher);
  ASSERT_EQ(seen.size(), 1u) << describe(run);
  EXPECT_EQ(seen[0].substr(0, seen[0].find(L'|')), L"OPEN ERROR") << toKorean(seen[0]);
  const std::wstring state = fromKorean(setting("ZX_DOCSERVER_ELSEWHERE_STATE"));
  EXPECT_TRUE(filesIn(state + L"\\requests").empty()) << "the server received no request";
  EXPECT_TRUE(filesIn(state + L"\\uploads").empty()) << "and stored nothing";
}

TEST_F(ControlScript, WrongArgumentsGetTheDispatchersCodesAndTheHostGoesOn) {
  BoxWatcher watcher({});
  ChildRun run = script(
      "run('too few', function () { return c.setRegisterValue('a'); });\n"
      "run('too many', function () { return c.getVersion(1, 2); });\n"
      "run('object for text', function () { return c.getRegisterValue(c); });\n"
      "run('text for number', function () { c.size = 'many'; return c.size; });\n"
      "run('null for text', function () { return c.getRegisterValue(null); });\n"
      "run('unknown name', function () { return c.noSuchMember(); });\n"
      "run('text for object', function () { return c.saveXml('not a document'); });\n"
      "run('still there', function () { return c.getVersion(); });");
  EXPECT_EQ(run.output,
            "too few: error 8002000e\r\ntoo many: error 8002000e\r\nobject for text: error 80020005\r\n"
            "text for number: error 80020005\r\nnull for text: error 80020005\r\nunknown name: error 800a01b6\r\n"
            "text for object: -1\r\nstill there: 3.1.0\r\n")
      << describe(run);
  // A text where a document belongs is no document: the failed DOM call's report, as on Linux.
  std::vector<std::wstring> seen = watcher.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_NE(seen[0].find(L"80004003"), std::wstring::npos) << toKorean(seen[0]);
}

TEST_F(ControlScript, BoxesAreAnsweredByTheWatcherAndAnOverlongFilenameIsRefused) {
  BoxWatcher watcher({});
  ChildRun run = script(
      "c.dialog = '0';\n"
      "c.Filename = 'doc.hwp';\n"
      "run('bad url', function () { return c.download('u', 's', '1', '1'); });\n"
      "c.url = 'http://127.0.0.1:9/doc';\n"
      "c.Filename = new Array(601).join('n') + '.hwp';\n"
      "run('long name', function () { return c.download('u', 's', '1', '1'); });\n"
      "run('Filename kept', function () { return c.Filename.length; });");
  EXPECT_EQ(run.output, "bad url: -1\r\nlong name: -1\r\nFilename kept: 604\r\n") << describe(run);
  std::vector<std::wstring> seen = watcher.seen();
  ASSERT_EQ(seen.size(), 3u);
  // 연결 (connection): the URL is malformed, then the flow's own note of the failed step;
  // 오류 (error) "다운로드 파일이름이 없습니다." for a name longer than a file system takes: it is
  // refused before anything is fetched.
  EXPECT_EQ(seen[0].substr(0, seen[0].find(L'|')), L"\uC5F0\uACB0") << toKorean(seen[0]);
  EXPECT_NE(seen[0].find(L"URL"), std::wstring::npos) << toKorean(seen[0]);
  EXPECT_EQ(seen[1], L"DEBUG|parseUrl:error");
  EXPECT_EQ(seen[2].substr(0, seen[2].find(L'|')), L"\uC624\uB958") << toKorean(seen[2]);
  EXPECT_NE(seen[2].find(L"\uB2E4\uC6B4\uB85C\uB4DC \uD30C\uC77C\uC774\uB984\uC774 \uC5C6\uC2B5\uB2C8\uB2E4."),
            std::wstring::npos)
      << toKorean(seen[2]);
}

TEST_F(ControlScript, UnregisteringRemovesClassProgIdAndTypeLibraryButLeavesTheCategories) {
  ChildRun run = regsvr32(L"/u /s");
  ASSERT_EQ(run.exitCode, 0u) << describe(run);
  for (const std::wstring& key : {std::wstring(kProgIdKey), std::wstring(kClassKey) + L"\\InprocServer32",
                                  std::wstring(kTypeLibKey) + L"\\1.0"}) {
    run = regQuery(key);
    EXPECT_NE(run.exitCode, 0u) << "still there: " << run.output;
  }
  run = regQuery(std::wstring(kClassKey) + L"\\Implemented Categories\\" + kScriptableCategory);
  EXPECT_EQ(run.exitCode, 0u) << "the category entries stay: " << describe(run);
  run = script("WScript.Echo('made');");
  EXPECT_EQ(run.output, "create: error 800a01ad\r\n") << describe(run);
  registration = regsvr32(L"/s");
  ASSERT_EQ(registration.exitCode, 0u) << describe(registration);
}

}  // namespace
}  // namespace zx::wintest
