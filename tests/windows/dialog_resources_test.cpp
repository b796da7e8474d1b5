// The module's dialog resources read back from the compiled resource section (this program
// links the module's resource object) and compared item by item with the templates the C++
// builds from the same data rows: ids, kinds, styles, positions, texts, fonts and frames.

// The control's headers first: <windows.h> defines macros with the names of their constants.
#include "control/about_box.h"
#include "module/prop_page.h"
#include "platform/codepage.h"
#include "ui/origin_consent.h"
#include "ui/status_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

namespace {

using zx::platform::DialogTemplate;
using zx::platform::ItemKind;

// One item of an extended dialog template as the dialog manager reads it.
struct ResourceItem {
  DWORD style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  int id = 0;
  std::wstring windowClass;  // "#128" style for an atom
  std::wstring text;         // "#1" style for an ordinal
};

struct ResourceDialog {
  DWORD style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::wstring caption;
  int points = 0;
  std::wstring font;
  std::vector<ResourceItem> items;
};

class Reader {
 public:
  explicit Reader(const BYTE* at) : at_(at), start_(at) {}
  WORD word() { return take<WORD>(); }
  DWORD dword() { return take<DWORD>(); }
  short shortInt() { return take<short>(); }
  // A string or an ordinal (0xFFFF and the number).
  std::wstring nameOrOrdinal() {
    WORD first = word();
    if (first == 0xFFFF) return L"#" + std::to_wstring(word());
    std::wstring text;
    for (WORD c = first; c != 0; c = word()) text += static_cast<wchar_t>(c);
    return text;
  }
  void skip(size_t bytes) { at_ += bytes; }
  void alignToDword() {
    while ((at_ - start_) % 4) ++at_;
  }

 private:
  template <typename T>
  T take() {
    T value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  const BYTE* at_;
  const BYTE* start_;
};

ResourceDialog loadDialog(int id) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_DIALOG));
  EXPECT_NE(found, nullptr) << "dialog " << id;
  ResourceDialog dialog;
  if (!found) return dialog;
  Reader r(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))));
  EXPECT_EQ(r.word(), 1);       // dlgVer
  EXPECT_EQ(r.word(), 0xFFFF);  // an extended template
  r.dword();                    // help id
  r.dword();                    // extended style
  dialog.style = r.dword();
  WORD count = r.word();
  dialog.x = r.shortInt();
  dialog.y = r.shortInt();
  dialog.width = r.shortInt();
  dialog.height = r.shortInt();
  EXPECT_EQ(r.nameOrOrdinal(), L"");  // no menu
  EXPECT_EQ(r.nameOrOrdinal(), L"");  // the dialog class
  dialog.caption = r.nameOrOrdinal();
  EXPECT_TRUE(dialog.style & DS_SETFONT);
  dialog.points = r.word();
  r.word();  // weight
  r.skip(2);  // italic, character set
  dialog.font = r.nameOrOrdinal();
  for (WORD i = 0; i < count; ++i) {
    r.alignToDword();
    ResourceItem item;
    r.dword();  // help id
    r.dword();  // extended style
    item.style = r.dword();
    item.x = r.shortInt();
    item.y = r.shortInt();
    item.width = r.shortInt();
    item.height = r.shortInt();
    item.id = static_cast<int>(r.dword());
    item.windowClass = r.nameOrOrdinal();
    item.text = r.nameOrOrdinal();
    r.skip(r.word());  // creation data
    dialog.items.push_back(item);
  }
  return dialog;
}

std::wstring wide(const std::string& ansiText) {
  std::u16string text = zx::platform::ansiToUtf16(ansiText);
  return std::wstring(text.begin(), text.end());
}

std::wstring lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

constexpr wchar_t kButtonAtom[] = L"#128", kStaticAtom[] = L"#130";

// The class and style bits an item of `kind` must have in the resource.
void expectKind(const ResourceItem& item, ItemKind kind) {
  const DWORD visibleChild = WS_CHILD | WS_VISIBLE;
  EXPECT_EQ(item.style & visibleChild, visibleChild);
  switch (kind) {
    case ItemKind::Static:
    case ItemKind::StaticCentred:
    case ItemKind::StaticRight:
    case ItemKind::Icon: {
      EXPECT_EQ(item.windowClass, kStaticAtom);
      const DWORD type = kind == ItemKind::Static         ? SS_LEFT
                         : kind == ItemKind::StaticCentred ? SS_CENTER
                         : kind == ItemKind::StaticRight   ? SS_RIGHT
                                                           : SS_ICON;
      EXPECT_EQ(item.style & SS_TYPEMASK, type);
      EXPECT_FALSE(item.style & WS_TABSTOP);
      break;
    }
    case ItemKind::ProgressBar:
      EXPECT_EQ(lower(item.windowClass), L"msctls_progress32");
      EXPECT_TRUE(item.style & WS_BORDER);
      break;
    case ItemKind::PushButton:
    case ItemKind::DefPushButton:
      EXPECT_EQ(item.windowClass, kButtonAtom);
      EXPECT_EQ(item.style & BS_TYPEMASK, kind == ItemKind::PushButton ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON);
      EXPECT_TRUE(item.style & WS_TABSTOP);
      break;
    case ItemKind::CheckBox:
      EXPECT_EQ(item.windowClass, kButtonAtom);
      EXPECT_EQ(item.style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
      EXPECT_TRUE(item.style & WS_TABSTOP);
      break;
  }
}

void expectSameDialog(const DialogTemplate& expected) {
  SCOPED_TRACE("dialog " + std::to_string(expected.id));
  ResourceDialog dialog = loadDialog(expected.id);
  EXPECT_EQ(dialog.x, expected.x);
  EXPECT_EQ(dialog.y, expected.y);
  EXPECT_EQ(dialog.width, expected.width);
  EXPECT_EQ(dialog.height, expected.height);
  EXPECT_EQ(dialog.points, expected.pointSize);
  EXPECT_EQ(dialog.font, wide(expected.font));
  if (expected.child) {
    EXPECT_EQ(dialog.style & (WS_CHILD | WS_POPUP | WS_CAPTION), static_cast<DWORD>(WS_CHILD));
    EXPECT_EQ(dialog.caption, L"");
  } else {
    const DWORD popup = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(dialog.style & popup, popup);
    EXPECT_EQ(dialog.caption, wide(expected.caption));
  }
  ASSERT_EQ(dialog.items.size(), expected.items.size());
  for (size_t i = 0; i < expected.items.size(); ++i) {
    const auto& want = expected.items[i];
    const ResourceItem& got = dialog.items[i];
    SCOPED_TRACE("item " + std::to_string(i));
    EXPECT_EQ(static_cast<short>(got.id), want.id);
    expectKind(got, want.kind);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    if (want.kind == ItemKind::Icon) {
      // An icon item takes the size of its icon: the resource keeps none.
      EXPECT_EQ(got.text, L"#" + wide(want.text));
      EXPECT_TRUE(FindResourceW(nullptr, MAKEINTRESOURCEW(std::stoi(want.text)), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON)));
      continue;
    }
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_EQ(got.text, wide(want.text));
  }
}

// An item where the description of its dialog puts it, in dialog units.
struct Placed {
  int id;
  int x, y, width, height;  // no size for an icon: it takes its icon's
};

// The resource and the C++ template come from the same data rows, so a row moved by mistake
// moves both alike: only the described figures catch it.
void expectPlaced(int dialogId, const std::vector<Placed>& described) {
  SCOPED_TRACE("dialog " + std::to_string(dialogId));
  ResourceDialog dialog = loadDialog(dialogId);
  ASSERT_EQ(dialog.items.size(), described.size());
  for (size_t i = 0; i < described.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    const Placed& want = described[i];
    const ResourceItem& got = dialog.items[i];
    EXPECT_EQ(static_cast<short>(got.id), want.id);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    if (want.width == 0) continue;
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
  }
}

TEST(DialogResources, ItemsStandWhereTheDescriptionPutsThem) {
  expectPlaced(201, {{221, 10, 10, 202, 12},
                     {220, 8, 26, 206, 19},
                     {202, 17, 50, 189, 10},
                     {211, 17, 63, 75, 9},
                     {210, 129, 63, 75, 12},
                     {207, 21, 77, 54, 18},
                     {217, 88, 77, 50, 18},
                     {203, 150, 77, 50, 18},
                     {-1, 10, 108, 200, 9}});
  expectPlaced(1, {{-1, 10, 10, 0, 0}, {-1, 40, 10, 170, 8}, {-1, 40, 25, 170, 8}, {IDOK, 221, 7, 32, 14}});
  expectPlaced(200, {{-1, 7, 25, 229, 16}});
  const ResourceDialog about = loadDialog(1);
  EXPECT_EQ(about.x, 34);
  EXPECT_EQ(about.y, 22);
  EXPECT_EQ(about.width, 260);
  EXPECT_EQ(about.height, 55);
  const ResourceDialog page = loadDialog(200);
  EXPECT_EQ(page.width, 250);
  EXPECT_EQ(page.height, 62);
}

TEST(DialogResources, AboutBoxIsTheTemplateOfTheAboutBox) { expectSameDialog(zx::aboutBoxTemplate()); }

TEST(DialogResources, PropertyPageIsTheTemplateOfThePage) { expectSameDialog(zx::CZorvAXPropPage::dialogTemplate()); }

TEST(DialogResources, StatusDialogIsTheTemplateOfTheStatusDialog) { expectSameDialog(zx::statusdlg::dialogTemplate()); }

TEST(DialogResources, ConsentDialogIsTheTemplateOfTheConsentDialog) {
  expectSameDialog(zx::consentdlg::dialogTemplate());
}

TEST(DialogResources, ConsentDialogDeniesFromEscAndNamesTheOriginInItsOwnItem) {
  ResourceDialog dialog = loadDialog(301);
  EXPECT_EQ(dialog.caption, L"ZorvAX \uC6F9 \uC0AC\uC774\uD2B8 \uD5C8\uC6A9");  // ZorvAX 웹 사이트 허용
  ASSERT_EQ(dialog.items.size(), 6u);
  EXPECT_EQ(dialog.items[1].id, zx::consentdlg::kOriginText);
  EXPECT_EQ(dialog.items[1].text, L"");
  EXPECT_EQ(dialog.items[3].id, zx::consentdlg::kRememberBox);
  EXPECT_EQ(dialog.items[5].id, IDCANCEL);
  EXPECT_EQ(dialog.items[5].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(dialog.items[5].text, L"\uAC70\uBD80(&D)");  // 거부(&D)
}

TEST(DialogResources, StatusDialogKeepsItsKoreanTextsAndFont) {
  ResourceDialog dialog = loadDialog(201);
  EXPECT_EQ(dialog.caption, L"\uB2E4\uC6B4\uB85C\uB4DC");  // 다운로드
  EXPECT_EQ(dialog.font, L"\uAD74\uB9BC\uCCB4");           // 굴림체
  EXPECT_EQ(dialog.points, 9);
  ASSERT_EQ(dialog.items.size(), 9u);
  EXPECT_EQ(dialog.items[7].id, 203);
  EXPECT_EQ(dialog.items[7].text, L"\uCDE8\uC18C(&C)");  // 취소(&C)
}

}  // namespace
