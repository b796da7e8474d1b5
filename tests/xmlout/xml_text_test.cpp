#include "xmlout/xml_text.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace zx {
namespace {

TEST(EucKrDeclaration, ReplacesEveryPlainDeclarationAndLeavesOthers) {
  EXPECT_EQ(withEucKrDeclaration("<?xml version=\"1.0\"?>\n<r/>"),
            "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<r/>");
  EXPECT_EQ(withEucKrDeclaration("<?xml version=\"1.0\"?><!-- <?xml version=\"1.0\"?> --><r>&lt;?xml version=\"1.0\"?></r>"),
            "<?xml version=\"1.0\" encoding=\"euc-kr\"?><!-- <?xml version=\"1.0\" encoding=\"euc-kr\"?> -->"
            "<r>&lt;?xml version=\"1.0\"?></r>");
  for (const char* kept : {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r/>",
                           "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<r/>",
                           "<?xml version=\"1.0\" standalone=\"yes\"?><r/>", "<r/>", ""})
    EXPECT_EQ(withEucKrDeclaration(kept), kept);
}

TEST(StyleSheetRetarget, ReplacesTheFileNameAfterTheLastSlashOfTheInstruction) {
  const std::string text =
      "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"http://host/xsl/old.xsl\"?>\n<r/>\n";
  EXPECT_EQ(retargetStyleSheet(text, "new.xsl"),
            "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"http://host/xsl/new.xsl\"?>\n<r/>\n");
  // An empty style sheet still counts: the name goes, the path stays.
  EXPECT_EQ(retargetStyleSheet(text, ""),
            "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"http://host/xsl/\"?>\n<r/>\n");
  // Korean names pass through as 8-bit text.
  const std::string korean = ansi("<a/><?xml-stylesheet href=\"양식/옛.xsl\"?>");
  EXPECT_EQ(retargetStyleSheet(korean, ansi("새.xsl")), ansi("<a/><?xml-stylesheet href=\"양식/새.xsl\"?>"));
}

TEST(StyleSheetRetarget, FollowsThePositionRulesOfTheInstruction) {
  // At the very start of the text: left alone.
  EXPECT_EQ(retargetStyleSheet("<?xml-stylesheet href=\"a/old.xsl\"?><r/>", "new.xsl"), std::nullopt);
  // The href is not the last attribute: the text from the last '/' before "?>" is replaced.
  EXPECT_EQ(retargetStyleSheet("<r/><?xml-stylesheet href=\"xsl/old.xsl\" type=\"text/xsl\"?>", "new.xsl"),
            "<r/><?xml-stylesheet href=\"xsl/old.xsl\" type=\"text/new.xsl\"?>");
  EXPECT_EQ(retargetStyleSheet("<r/><?xml-stylesheet href=\"xsl/old.xsl\" media=\"screen\"?>", "new.xsl"),
            "<r/><?xml-stylesheet href=\"xsl/new.xsl\"?>");
  // Missing pieces.
  EXPECT_EQ(retargetStyleSheet("<r/><?xml-stylesheet type=\"text/xsl\"?>", "new.xsl"), std::nullopt);
  EXPECT_EQ(retargetStyleSheet("<r/><?xml-stylesheet href=\"a/old.xsl\"", "new.xsl"), std::nullopt);
  EXPECT_EQ(retargetStyleSheet("<?xml version=\"1.0\"?><?xml-stylesheet href=\"old.xsl\"?><r></r>", "new.xsl"),
            std::nullopt);
  EXPECT_EQ(retargetStyleSheet("<r/><?xml-stylesheethref=\"a/old.xsl\"?>", "new.xsl"), std::nullopt);
  // The '/' may lie before the instruction: the rule takes the last one before its end.
  EXPECT_EQ(retargetStyleSheet("<!-- x/y --><?xml-stylesheet href=\"old.xsl\"?><r/>", "new.xsl"),
            "<!-- x/new.xsl\"?><r/>");
}

TEST(StyleSheetRetarget, SearchesByCharacterNotByByte) {
  // 0x81 0x68 is one Korean character whose second byte is 'h': no "href=" starts there.
  EXPECT_EQ(retargetStyleSheet("<r/><?xml-stylesheet title=\"\x81href=a/old.xsl\"?>", "new.xsl"), std::nullopt);
  EXPECT_EQ(retargetStyleSheet("<r/><?xml-stylesheet title=\"x href=a/old.xsl\"?>", "new.xsl"),
            "<r/><?xml-stylesheet title=\"x href=a/new.xsl\"?>");
}

}  // namespace
}  // namespace zx
