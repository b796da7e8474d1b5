// Hostile and oversized documents: the parser must refuse them or stay within memory
// proportional to the text, and must never read a file the document names.
#include <libxml/parser.h>
#include <libxml/xmlmemory.h>
#include <malloc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/xmldom.h"
#include "support/zx_test.h"
#include "xml_test_support.h"

namespace zx::platform {
namespace {

// Every byte the parser holds, counted through its allocation hooks. Blocks are measured by
// the allocator itself, so blocks allocated before the hooks were set are freed correctly.
std::atomic<long long> parserBytes{0}, parserPeak{0};

void account(long long delta) {
  const long long now = parserBytes += delta;
  long long peak = parserPeak.load();
  while (now > peak && !parserPeak.compare_exchange_weak(peak, now)) {
  }
}
void* countedMalloc(size_t size) {
  void* block = std::malloc(size);
  if (block) account(static_cast<long long>(malloc_usable_size(block)));
  return block;
}
void countedFree(void* block) {
  if (block) account(-static_cast<long long>(malloc_usable_size(block)));
  std::free(block);
}
void* countedRealloc(void* block, size_t size) {
  const long long before = block ? static_cast<long long>(malloc_usable_size(block)) : 0;
  void* moved = std::realloc(block, size);
  if (moved) account(static_cast<long long>(malloc_usable_size(moved)) - before);
  return moved;
}
char* countedStrdup(const char* text) {
  char* copy = static_cast<char*>(countedMalloc(std::strlen(text) + 1));
  if (copy) std::strcpy(copy, text);
  return copy;
}
const bool hooksInstalled = xmlMemSetup(countedFree, countedMalloc, countedRealloc, countedStrdup) == 0;

// The parser's peak holding above what it held when the measurement began.
class PeakMeter {
 public:
  PeakMeter() : start_(parserBytes.load()) { parserPeak = start_; }
  long long peak() const { return parserPeak.load() - start_; }

 private:
  long long start_;
};

constexpr long long kMiB = 1 << 20;

struct Loaded {
  std::shared_ptr<ole::Dispatch> document;
  bool loaded = false;
};

Loaded load(const std::string& utf8) {
  Loaded result;
  createXmlDocument(result.document);
  asXmlDomDocument(result.document.get())->loadXml(utf8ToUtf16(utf8), result.loaded);
  return result;
}

std::string laughs(int levels, int fanOut) {
  std::string text = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol0 \"lol\">";
  for (int level = 1; level <= levels; ++level) {
    text += "<!ENTITY lol" + std::to_string(level) + " \"";
    for (int i = 0; i < fanOut; ++i) text += "&lol" + std::to_string(level - 1) + ";";
    text += "\">";
  }
  return text + "]><lolz>&lol" + std::to_string(levels) + ";</lolz>";
}

TEST(XmlDomLimits, EntityExpansionBombsStayWithinBoundedMemory) {
  ASSERT_TRUE(hooksInstalled);
  {
    // A billion laughs: 10^9 "lol"s if the references were expanded.
    PeakMeter meter;
    const Loaded bomb = load(laughs(9, 10));
    EXPECT_FALSE(bomb.loaded);
    EXPECT_LT(meter.peak(), 16 * kMiB);
  }
  {
    // Quadratic blow-up: one 64 KiB entity referenced 20000 times (1.3 GB expanded). The
    // references stay references, in the tree and in the text.
    std::string text = "<!DOCTYPE r [<!ENTITY big \"" + std::string(64 * 1024, 'a') + "\">]><r>";
    for (int i = 0; i < 20000; ++i) text += "&big;";
    text += "</r>";
    PeakMeter meter;
    const Loaded blowUp = load(text);
    if (blowUp.loaded) {
      const std::string xml = zx::test::xmlOf(*blowUp.document);
      EXPECT_LT(xml.size(), 2 * text.size());
      EXPECT_NE(xml.find("&big;&big;"), std::string::npos);
    }
    EXPECT_LT(meter.peak(), 64 * kMiB);
  }
}

// Records every external resource the parser asks for.
std::vector<std::string> requested;
xmlExternalEntityLoader previousLoader = nullptr;
xmlParserInputPtr recordingLoader(const char* url, const char* id, xmlParserCtxtPtr context) {
  requested.push_back(url ? url : "");
  return previousLoader(url, id, context);
}

TEST(XmlDomLimits, ExternalEntitiesAndDtdsAreNeverRead) {
  zx::test::TempDir folder;
  const std::string secret = folder.file("secret.txt");
  zx::test::writeFile(secret, "top-secret-marker");
  const std::string url = "file://" + secret;
  load("<r/>");  // the component has set itself up
  previousLoader = xmlGetExternalEntityLoader();
  xmlSetExternalEntityLoader(recordingLoader);
  requested.clear();

  const std::string hostile[] = {
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + url + "\">]><r>&x;</r>",
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secret + "\">]><r a=\"1\">&x;</r>",
      "<!DOCTYPE r SYSTEM \"" + url + "\"><r/>",
      "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + url + "\"> %p;]><r/>",
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"http://127.0.0.1:9/x\">]><r>&x;</r>",
      "<r xmlns:xi=\"http://www.w3.org/2001/XInclude\"><xi:include href=\"" + url + "\" parse=\"text\"/></r>",
  };
  for (const std::string& text : hostile) {
    const Loaded result = load(text);
    if (result.loaded) {
      EXPECT_EQ(zx::test::xmlOf(*result.document).find("top-secret"), std::string::npos) << text;
    }
  }
  const std::string fromFile = folder.file("doc.xml");
  zx::test::writeFile(fromFile, hostile[0]);
  if (auto document = createXmlDocumentFromFile(test::localFiles(), fromFile)) {
    EXPECT_EQ(zx::test::xmlOf(*document).find("top-secret"), std::string::npos);
  }
  EXPECT_TRUE(requested.empty()) << requested.front();

  // The recorder does see a parser that is told to substitute and load (so its silence above
  // means something).
  xmlFreeDoc(xmlReadMemory(hostile[0].data(), static_cast<int>(hostile[0].size()), nullptr, nullptr,
                           XML_PARSE_NOENT | XML_PARSE_DTDLOAD | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  EXPECT_FALSE(requested.empty());
  xmlSetExternalEntityLoader(previousLoader);
}

TEST(XmlDomLimits, LargeDocumentsAreHandledOrRefusedByTheirSize) {
  ASSERT_TRUE(hooksInstalled);
  zx::test::TempDir folder;
  {
    // 50 MiB of ordinary markup: loaded, copied and serialised whole.
    std::string text = "<?xml version=\"1.0\"?>\n<records>";
    for (int i = 0; text.size() < 50 * kMiB; ++i)
      text += "<record id=\"" + std::to_string(i) + "\"><name>문서 " + std::to_string(i) + "</name></record>";
    text += "</records>\n";
    PeakMeter meter;
    const Loaded big = load(text);
    ASSERT_TRUE(big.loaded);
    std::shared_ptr<ole::Dispatch> copy;
    createXmlDocument(copy);
    ASSERT_EQ(asXmlDomDocument(big.document.get())->save(ole::Variant::fromDispatch(copy)), ole::S_OK);
    EXPECT_EQ(zx::test::xmlOf(*copy), text);
    // Two trees of the document at once, each about twelve times its text on markup this dense.
    EXPECT_LT(meter.peak(), 28 * static_cast<long long>(text.size()));
  }
  {
    // Above the limit: refused before the parser sees it.
    const std::string tooLarge = "<r>" + std::string(kMaxXmlDocumentBytes, 'x') + "</r>";
    PeakMeter meter;
    EXPECT_FALSE(load(tooLarge).loaded);
    EXPECT_LT(meter.peak(), kMiB);
    const std::string sparse = folder.file("sparse.xml");
    zx::test::writeFile(sparse, "<r>");
    std::filesystem::resize_file(sparse, kMaxXmlDocumentBytes + 1);
    std::string error;
    EXPECT_EQ(createXmlDocumentFromFile(test::localFiles(), sparse, &error), nullptr);
    EXPECT_NE(error.find("64 MiB"), std::string::npos);
  }
  {
    // A single text of 12 MB exceeds the parser's own limit on one text node.
    EXPECT_FALSE(load("<r>" + std::string(12'000'000, 'y') + "</r>").loaded);
  }
}

}  // namespace
}  // namespace zx::platform
