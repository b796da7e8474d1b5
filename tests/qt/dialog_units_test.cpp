#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include "platform/codepage.h"
#include "platform/qt/dialog_units.h"
#include "qt_test_support.h"
#include "ui/status_dialog.h"

namespace zx::test::qt {
namespace {

using namespace platform::qt;

TEST(DialogUnits, MulDivRoundsHalfAwayFromZeroAndRefusesAZeroDivisor) {
  EXPECT_EQ(mulDiv(7, 6, 4), 11) << "10.5 rounds up";
  EXPECT_EQ(mulDiv(5, 6, 4), 8) << "7.5 rounds up";
  EXPECT_EQ(mulDiv(9, 7, 8), 8) << "7.875";
  EXPECT_EQ(mulDiv(9, 5, 8), 6) << "5.625";
  EXPECT_EQ(mulDiv(-7, 6, 4), -11) << "-10.5 rounds away from zero";
  EXPECT_EQ(mulDiv(7, 6, -4), -11);
  EXPECT_EQ(mulDiv(1, 1, 0), -1);
  EXPECT_EQ(mulDiv(0x40000000, 8, 16), 0x20000000) << "the product may pass 32 bits";
}

TEST(DialogUnits, BaseUnitsComeFromTheAverageLetterWidthAndTheFontHeight) {
  for (const char* face : {"NanumGothicCoding", "NanumGothic", "DejaVu Sans"}) {
    for (int points : {8, 9, 12}) {
      QFont font(QString::fromLatin1(face));
      font.setPointSize(points);
      ExpectedUnits expected(font);
      BaseUnits base = baseUnitsOf(font);
      EXPECT_EQ(base.x, expected.baseX) << face << " " << points;
      EXPECT_EQ(base.y, expected.baseY) << face << " " << points;
      DialogUnits units(base);
      EXPECT_EQ(units.rect(10, 26, 206, 19), expected.rect(10, 26, 206, 19)) << face << " " << points;
    }
  }
}

TEST(DialogFonts, MissingTemplateFacesFallBackToInstalledKoreanFaces) {
  ASSERT_TRUE(QFontDatabase::families().contains(QStringLiteral("NanumGothic")))
      << "scripts/install-deps.sh installs fonts-nanum";
  EXPECT_EQ(installedFace(QStringLiteral("굴림체")), QStringLiteral("NanumGothicCoding"))
      << "a fixed-pitch Korean face stands in for a fixed-pitch one";
  EXPECT_EQ(installedFace(QStringLiteral("굴림")), QStringLiteral("NanumGothic"));
  EXPECT_EQ(installedFace(QStringLiteral("MS Sans Serif")), QStringLiteral("NanumGothic"));
  EXPECT_EQ(installedFace(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans")) << "installed faces stay";

  QFont status = dialogFont(statusdlg::dialogTemplate());
  EXPECT_EQ(QFontInfo(status).family(), QStringLiteral("NanumGothicCoding"));
  EXPECT_EQ(status.pointSize(), 9);
  // Every Korean text of the status dialog has real glyphs in its font, not empty boxes.
  QFontMetrics metrics(status);
  for (const char* utf8 : {"다운로드 진행되는 동안 통신 보안이 적용됩니다.", "열기저장취소파일폴더닫기", "취소 하겠습니까 ?"}) {
    for (QChar c : QString::fromUtf8(utf8)) {
      if (c.isSpace()) continue;
      EXPECT_TRUE(metrics.inFont(c)) << "U+" << std::hex << static_cast<int>(c.unicode());
    }
  }
  EXPECT_TRUE(QFontMetrics(QApplication::font()).inFont(QChar(0xD655))) << "boxes and file dialogs too";
}

}  // namespace
}  // namespace zx::test::qt
