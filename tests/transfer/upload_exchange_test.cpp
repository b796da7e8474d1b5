// The upload exchange end to end: the prepared file sent over TLS to the document server.
#include <gtest/gtest.h>

#include <cryptopp/base64.h>
#include <cryptopp/filters.h>

#include <filesystem>

#include "control_fixture.h"
#include "support/zx_test.h"
#include "platform/codepage.h"
#include "transfer/upload_exchange.h"
#include "transfer/url_parsing.h"
#include "ui/status_dialog.h"

using zxtest::ControlFixture;
namespace mb = zx::platform::mb;

namespace {

class UploadExchange : public ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    services.adapters.set(zx::doubles::parseAdapterScenario("0A1B2C3D4E5F,001122334455"));
    control_->Filename = "f.txt";
  }

  std::int32_t upload(const std::string& content, const std::string& path = "/upload",
                      const std::string& ciphered = "0", const std::string& cipherKey = "") {
    zx::test::writeFile(filePath_, content);
    pointAt(peer().uploadUrl(path));
    return zx::uploadExchange(env(), *control_, "u 1", "0", ciphered, cipherKey);
  }

  std::string bodyOf(const std::string& request) const { return request.substr(request.find("\r\n\r\n") + 4); }

};

const std::string kFields = "command=upload&userId=u%201&filename=f.txt&compressed=0&ciphered=0&macAddr=0A1B2C3D4E5F%3A001122334455";

}  // namespace

TEST_F(UploadExchange, SendsTheFilteredFileAsTheLastField) {
  control_->Filename = zx::ansi("C:\\문서\\보고서 1.txt");
  ASSERT_EQ(upload("QUJD\r\nREVG\r\n\xB0\xA1 +/=\r\n"), 0);
  std::string body = "command=upload&userId=u%201&filename=C%3A%5C%B9%AE%BC%AD%5C%BA%B8%B0%ED%BC%AD%201.txt"
                     "&compressed=0&ciphered=0&macAddr=0A1B2C3D4E5F%3A001122334455&cipherData=QUJDREVG%2B%2F%3D";
  EXPECT_EQ(lastRequest(), "POST /upload HTTP/1.0\r\nAccept: */*\r\nUser-Agent: ZorvCW\r\nHost: 127.0.0.1:" +
                               std::to_string(peer().uploadPort()) +
                               "\r\nConnection: Keep-Alive\r\nContent-type: application/x-www-form-urlencoded\r\n"
                               "Content-length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_EQ(control_->size, static_cast<std::int32_t>(body.size()));
  EXPECT_EQ(lastNote("secure"), "1");
  std::string expected;
  CryptoPP::StringSource("QUJDREVG+/=", true, new CryptoPP::Base64Decoder(new CryptoPP::StringSink(expected)));
  std::string stored = lastNote("stored");
  EXPECT_TRUE(stored.ends_with("-보고서 1.txt")) << stored;
  EXPECT_EQ(zx::test::readFile(stored), expected);
  EXPECT_TRUE(boxes().empty());

  // An empty file still sends the field's name.
  EXPECT_EQ(upload(""), 0);
  EXPECT_TRUE(bodyOf(lastRequest()).ends_with("&cipherData="));
}

TEST_F(UploadExchange, CipheredUploadCarriesTheKeyAfterTheUser) {
  EXPECT_EQ(upload("QUJD", "/upload", "yes", "KEY+/="), -1);
  std::string body = bodyOf(lastRequest());
  EXPECT_EQ(body, "command=upload&userId=u%201&cipherKey=KEY%2B%2F%3D&filename=f.txt&compressed=0&ciphered=yes"
                  "&macAddr=0A1B2C3D4E5F%3A001122334455&cipherData=QUJD");
  EXPECT_EQ(control_->size, static_cast<std::int32_t>(body.size()));
  EXPECT_EQ(boxes(), std::vector<std::string>{
                         "서버응답|서버에서 오류 응답을 보내왔습니다.\n다시 시도 하십시오.\n서버응답:[403] Forbidden"});
}

TEST_F(UploadExchange, BodyIsWrittenInPiecesOf1024) {
  std::string prefix = kFields + "&cipherData=";
  ASSERT_EQ(upload(std::string(2049 - prefix.size(), 'Q')), 0);
  EXPECT_EQ(control_->size, 2049);
  EXPECT_EQ(lastNote("body-reads"), "1024,1024,1");
  EXPECT_NE(lastRequest().find("\r\nContent-length: 2049\r\n"), std::string::npos);
}

TEST_F(UploadExchange, StatusesAfterTheBodyWasSent) {
  EXPECT_EQ(upload("QUJD", "/upload?status=204"), 0);
  EXPECT_EQ(upload("QUJD", "/upload?status=500"), -1);
  EXPECT_EQ(upload("QUJD", "/upload?redirect=302&to=https"), -1);
  EXPECT_EQ(boxes(), (std::vector<std::string>{
                         "서버응답|서버에서 오류 응답을 보내왔습니다.\n다시 시도 하십시오.\n서버응답:[500] Internal Server Error",
                         "서버응답|서버에서 오류 응답을 보내왔습니다.\n다시 시도 하십시오.\n서버응답:[302] Found"}));
}

TEST_F(UploadExchange, ARedirectedUploadReachedNobodyAndFails) {
  const unsigned before = peer().requestCount();
  EXPECT_EQ(upload("QUJD", "/upload?redirect=302"), -1);
  EXPECT_EQ(boxes(), std::vector<std::string>{
                         "서버응답|서버에서 오류 응답을 보내왔습니다.\n다시 시도 하십시오.\n서버응답:[302] Found"});
  EXPECT_EQ(peer().requestCount(), before + 1) << "no request without the body follows the redirect";
  EXPECT_EQ(lastNote("stored"), "") << "nothing was stored";
}

TEST_F(UploadExchange, ACancelOnceTheWholeBodyWasSentDoesNotUndoTheUpload) {
  const unsigned before = peer().requestCount();
  clickCancelWhenStalled(before);
  user->answerBox(mb::IDYES);
  EXPECT_EQ(upload("QUJDREVG", "/upload?late=1500"), 0);
  EXPECT_EQ(peer().requestCount(), before + 1);
  const std::string stored = lastNote("stored");
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(zx::test::readFile(stored), "ABCDEF") << "the server has the file, and the page is told so";
  EXPECT_FALSE(zx::currentStatusDlg()->cancelled);
  EXPECT_EQ(boxes(), std::vector<std::string>{"질문|취소 하겠습니까 ?"}) << "the cancel was asked for and confirmed";
}

TEST_F(UploadExchange, ACertificateNamingAnotherHostGetsNothing) {
  auto elsewhere = trustedServerNamedElsewhere();
  zx::test::writeFile(filePath_, "QUJD");
  pointAt("https://127.0.0.1:" + std::to_string(elsewhere->uploadPort()) + "/upload");
  EXPECT_EQ(zx::uploadExchange(env(), *control_, "u", "0", "0", ""), -1);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].rfind("OPEN ERROR|오류 응답입니다. 다시 시도 하십시오.\n응답 : "
                             "The host name in the certificate is invalid or does not match",
                             0),
            0u)
      << boxes()[0];
  EXPECT_EQ(elsewhere->requestCount(), 0u) << "nothing was sent";

  // The name the server's certificate gives it is accepted.
  pointAt("https://localhost:" + std::to_string(peer().uploadPort()) + "/upload");
  EXPECT_EQ(zx::uploadExchange(env(), *control_, "u", "0", "0", ""), 0);
  EXPECT_EQ(zx::test::readFile(lastNote("stored")), "ABC");
}

TEST_F(UploadExchange, PlainServerOnTheUploadPortIsAnException) {
  zxtest::PeerProcess plain({"--plain-upload"});
  zx::test::writeFile(filePath_, "QUJD");
  control_->url = "https://127.0.0.1:" + std::to_string(plain.uploadPort()) + "/upload";
  ASSERT_EQ(zx::parseUrl(*user, *control_), 0);
  EXPECT_EQ(zx::uploadExchange(env(), *control_, "u", "0", "0", ""), -1);
  auto shown = boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rfind("OPEN ERROR|오류 응답입니다. 다시 시도 하십시오.\n응답 : A secure channel could not be established", 0),
            0u)
      << shown[0];
  EXPECT_EQ(plain.requestNote(1, "status"), "400");
}

TEST_F(UploadExchange, CancelCountsWhileReadingAndNotWhileSending) {
  unsigned before = peer().requestCount();
  user->press(zx::statusdlg::kTemplateId, zx::statusdlg::kCancelButton, zx::doubles::ScriptedUi::When::Progress,
             8192);
  user->answerBox(mb::IDYES);
  EXPECT_EQ(upload(std::string(20000, 'Q')), -2);
  EXPECT_EQ(peer().requestCount(), before);

  zx::currentStatusDlg()->cancelled = false;
  user->press(zx::statusdlg::kTemplateId, zx::statusdlg::kCancelButton, zx::doubles::ScriptedUi::When::Progress,
             6000);
  user->answerBox(mb::IDYES);
  EXPECT_EQ(upload(std::string(3000, '+')), 0);
  EXPECT_EQ(peer().requestCount(), before + 1);
  EXPECT_FALSE(zx::currentStatusDlg()->cancelled);
  EXPECT_EQ(boxes(), (std::vector<std::string>{"질문|취소 하겠습니까 ?", "질문|취소 하겠습니까 ?"}));
}

TEST_F(UploadExchange, OnlyOrdinaryFilesAreSent) {
  unsigned before = peer().requestCount();
  pointAt(peer().uploadUrl("/upload"));
  std::filesystem::create_symlink("/proc/self/environ", filePath_ + ".link");
  for (const std::string& path : {std::string("/proc/self/environ"), std::string("/proc/self/pagemap"),
                                  std::string("/dev/zero"), std::string("/sys/kernel/uevent_seqnum"), filePath_ + ".link"}) {
    ASSERT_TRUE(control_->m_filePath.assign(path));
    EXPECT_EQ(zx::uploadExchange(env(), *control_, "u", "0", "0", ""), -1) << path;
  }
  EXPECT_EQ(boxes(), std::vector<std::string>(5, "파일열기|파일을 열 수 없습니다.\n다시 시도 하십시오."));
  EXPECT_EQ(peer().requestCount(), before) << "nothing was sent";
}

TEST_F(UploadExchange, MissingFileEndsBeforeConnecting) {
  unsigned before = peer().requestCount();
  pointAt(peer().uploadUrl("/upload"));
  ASSERT_TRUE(control_->m_filePath.assign(filePath_ + ".missing"));
  EXPECT_EQ(zx::uploadExchange(env(), *control_, "u", "0", "0", ""), -1);
  EXPECT_EQ(boxes(), std::vector<std::string>{"파일열기|파일을 열 수 없습니다.\n다시 시도 하십시오."});
  EXPECT_EQ(peer().requestCount(), before);
}
