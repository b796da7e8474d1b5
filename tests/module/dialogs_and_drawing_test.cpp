// The About box, the property page and the control's picture.
#include <gtest/gtest.h>

#include <vector>

#include "control/about_box.h"
#include "module/class_factory.h"
#include "control/draw.h"
#include "module/prop_page.h"
#include "control/zorvax_ctrl.h"
#include "support/zx_test.h"

namespace zx {
namespace {

using platform::ItemKind;
using doubles::ScriptedUi;

class ModuleDialogTest : public test::ControlTest {
 protected:
  std::vector<doubles::UiRecord> dialogs() const {
    std::vector<doubles::UiRecord> found;
    for (const auto& record : user->records())
      if (record.kind == "dialog") found.push_back(record);
    return found;
  }
};

TEST_F(ModuleDialogTest, AboutBoxShowsTemplateOneOverTheControl) {
  const platform::DialogTemplate& about = aboutBoxTemplate();
  EXPECT_EQ(about.id, 1);
  EXPECT_EQ(about.caption, "About ZorvAX Control");
  EXPECT_EQ(about.font, "MS Sans Serif");
  EXPECT_EQ(about.pointSize, 8);
  EXPECT_EQ((std::vector<int>{about.x, about.y, about.width, about.height}), (std::vector<int>{34, 22, 260, 55}));
  EXPECT_FALSE(about.child);
  ASSERT_EQ(about.items.size(), 4u);
  EXPECT_EQ(about.items[0].kind, ItemKind::Icon);
  EXPECT_EQ((std::vector<int>{about.items[0].x, about.items[0].y}), (std::vector<int>{10, 10}));
  EXPECT_EQ(about.items[1].text, "ZorvAX Control, Version 1.0");
  EXPECT_EQ((std::vector<int>{about.items[1].x, about.items[1].y, about.items[1].width, about.items[1].height}),
            (std::vector<int>{40, 10, 170, 8}));
  EXPECT_EQ(about.items[2].text, kAboutNotice);
  EXPECT_EQ((std::vector<int>{about.items[2].x, about.items[2].y}), (std::vector<int>{40, 25}));
  EXPECT_EQ(about.items[3].kind, ItemKind::DefPushButton);
  EXPECT_EQ(about.items[3].id, 1);
  EXPECT_EQ(about.items[3].text, "OK");
  EXPECT_EQ((std::vector<int>{about.items[3].x, about.items[3].y, about.items[3].width, about.items[3].height}),
            (std::vector<int>{221, 7, 32, 14}));

  // The user closes it with OK (what nobody acting amounts to), then with Esc.
  auto control = makeControl();
  control->AboutBox();
  user->press(1, platform::kDialogEscape, ScriptedUi::When::Modal);
  control->AboutBox();
  const auto shown = dialogs();
  ASSERT_EQ(shown.size(), 2u);
  for (const auto& record : shown) {
    EXPECT_EQ(record.templateId, 1);
    EXPECT_EQ(record.caption, "About ZorvAX Control");
    EXPECT_EQ(record.owner, platform::Owner::Control);
  }
  EXPECT_TRUE(user->liveDialogs().empty());

  // How it was closed: the OK button, or Esc as Cancel.
  EXPECT_EQ(runModuleDialog(*user, about, platform::Owner::Control), platform::mb::IDOK);
  user->press(1, platform::kDialogEscape, ScriptedUi::When::Modal);
  EXPECT_EQ(runModuleDialog(*user, about, platform::Owner::Control), platform::mb::IDCANCEL);
}

TEST_F(ModuleDialogTest, PropertiesVerbShowsThePageAndReleasesIt) {
  const platform::DialogTemplate& page = CZorvAXPropPage::dialogTemplate();
  EXPECT_EQ(page.id, 200);
  EXPECT_TRUE(page.child);
  EXPECT_TRUE(page.caption.empty());
  EXPECT_EQ((std::vector<int>{page.width, page.height}), (std::vector<int>{250, 62}));
  ASSERT_EQ(page.items.size(), 1u);
  EXPECT_EQ(page.items[0].text, "ZorvAX Control has no settings to change here; the page sets its properties by script.");
  EXPECT_EQ((std::vector<int>{page.items[0].x, page.items[0].y, page.items[0].width, page.items[0].height}),
            (std::vector<int>{7, 25, 229, 16}));
  EXPECT_EQ(propertyPageIds(), std::vector<ole::Guid>{ids::CLSID_ZorvAXPropPage()});

  auto control = makeControl();
  user->press(200, platform::kDialogEscape, ScriptedUi::When::Modal);
  EXPECT_TRUE(showProperties(*control));
  const auto shown = dialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].templateId, 200);
  EXPECT_EQ(shown[0].caption, "General");
  EXPECT_EQ(shown[0].owner, platform::Owner::Control);
  EXPECT_EQ(liveObjectCount(), 0);
  EXPECT_TRUE(user->liveDialogs().empty());
}

// Records what the control draws.
struct RecordingSurface : platform::DrawingSurface {
  struct Call {
    std::string operation;
    platform::Rect bounds;
  };
  std::vector<Call> calls;
  void fillRect(const platform::Rect& bounds, platform::StockBrush brush) override {
    calls.push_back({brush == platform::StockBrush::White ? "fill white" : "fill other", bounds});
  }
  void ellipse(const platform::Rect& bounds) override { calls.push_back({"ellipse", bounds}); }
};

bool sameRect(const platform::Rect& a, const platform::Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ControlDrawing, WhiteBoundsWithTheInscribedEllipseAtAnySize) {
  for (const platform::Rect bounds : {platform::Rect{0, 0, 100, 50}, platform::Rect{10, 20, 11, 21},
                                      platform::Rect{5, 5, 5, 5}, platform::Rect{-30, -40, 4000, 3000}}) {
    RecordingSurface surface;
    drawControl(surface, bounds);
    ASSERT_EQ(surface.calls.size(), 2u);
    EXPECT_EQ(surface.calls[0].operation, "fill white");
    EXPECT_TRUE(sameRect(surface.calls[0].bounds, bounds));
    EXPECT_EQ(surface.calls[1].operation, "ellipse");
    EXPECT_TRUE(sameRect(surface.calls[1].bounds, bounds));
  }
}

}  // namespace
}  // namespace zx
