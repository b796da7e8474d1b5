// The module's self-registration against a real registry store in a fresh home.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "module/class_factory.h"
#include "module/entry_points.h"
#include "module/prop_page.h"
#include "control/type_library.h"
#include "module/registration.h"
#include "control/zorvax_ctrl.h"
#include "platform/module_file.h"
#include "platform/registry.h"
#include "support/zx_test.h"

namespace zx {
namespace {

namespace reg = platform::reg;
using platform::Hive;

const char* const kControlKey = "CLSID\\{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}";
const char* const kPageKey = "CLSID\\{C285A07C-EE89-4B46-8E3A-1F73D705BBEE}";
const char* const kLibraryKey = "TypeLib\\{412532B1-0C61-4900-8767-647BD63CA0C5}\\1.0";
const char* const kScriptable = "{7DD95801-9882-11CF-9FA9-00AA006C42C4}";
const char* const kInitializable = "{7DD95802-9882-11CF-9FA9-00AA006C42C4}";

bool keyExists(platform::Registry& registry, const std::string& path) {
  return registry.openKey(Hive::ClassesRoot, path, reg::kMaximumAllowed) != nullptr;
}

// A value of the classes root, or "<missing>".
std::string valueOf(platform::Registry& registry, const std::string& path, const std::string& name = "") {
  auto key = registry.openKey(Hive::ClassesRoot, path, reg::kMaximumAllowed);
  if (!key) return "<missing>";
  for (const auto& value : registry.values(*key))
    if (value.name == name) return value.data;
  return "<missing>";
}

// Makes the store at `database` refuse every new key named `name`, wherever it goes.
bool refuseKeysNamed(const std::string& database, const std::string& name) {
  sqlite3* handle = nullptr;
  if (sqlite3_open(database.c_str(), &handle) != SQLITE_OK) return false;
  static int triggers = 0;
  const std::string sql = "CREATE TRIGGER refuse_" + std::to_string(++triggers) +
                          " BEFORE INSERT ON keys WHEN NEW.name = '" + name +
                          "' BEGIN SELECT RAISE(ABORT, 'read only'); END";
  const bool made = sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(handle);
  return made;
}

class RegistrationTest : public test::ControlTest {};

TEST_F(RegistrationTest, RegisterWritesTheControlPageAndLibraryInTheStandardLayout) {
  ASSERT_EQ(registerModule(registry()), ole::S_OK);
  // The file this code runs from: the test program here, libzorvax for the zorvax command.
  const std::string module = platform::moduleFileName();
  ASSERT_TRUE(std::filesystem::is_regular_file(module)) << module;

  EXPECT_EQ(clsidFromProgId(registry(), "ZORVAX.ZorvAXCtrl.1"), ole::Guid::parse("{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}"));
  EXPECT_EQ(valueOf(registry(), "ZORVAX.ZorvAXCtrl.1"), "ZorvAX Control");
  const std::string control = kControlKey;
  EXPECT_EQ(valueOf(registry(), control), "ZorvAX Control");
  EXPECT_EQ(valueOf(registry(), control + "\\InprocServer32"), module);
  EXPECT_EQ(valueOf(registry(), control + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(valueOf(registry(), control + "\\ProgID"), "ZORVAX.ZorvAXCtrl.1");
  EXPECT_TRUE(keyExists(registry(), control + "\\Control"));
  EXPECT_EQ(valueOf(registry(), control + "\\ToolboxBitmap32"), module + ", 1");
  EXPECT_EQ(valueOf(registry(), control + "\\MiscStatus"), "0");
  EXPECT_EQ(valueOf(registry(), control + "\\MiscStatus\\1"), "131473");
  EXPECT_EQ(valueOf(registry(), control + "\\TypeLib"), "{412532B1-0C61-4900-8767-647BD63CA0C5}");
  EXPECT_EQ(valueOf(registry(), control + "\\Version"), "1.0");

  // Listed under both categories, which carry their English descriptions.
  for (const char* catid : {kScriptable, kInitializable})
    EXPECT_TRUE(keyExists(registry(), control + "\\Implemented Categories\\" + catid)) << catid;
  EXPECT_EQ(valueOf(registry(), std::string("Component Categories\\") + kScriptable, "409"), "Controls that are safely scriptable");
  EXPECT_EQ(valueOf(registry(), std::string("Component Categories\\") + kInitializable, "409"),
            "Controls safely initializable from persistent data");

  EXPECT_EQ(valueOf(registry(), kPageKey), "ZorvAX Property Page");
  EXPECT_EQ(valueOf(registry(), std::string(kPageKey) + "\\InprocServer32"), module);

  const std::string library = kLibraryKey;
  EXPECT_EQ(valueOf(registry(), library), "ZorvAX ActiveX Control module");
  EXPECT_EQ(valueOf(registry(), library + "\\409\\win32"), module);
  EXPECT_EQ(valueOf(registry(), library + "\\HELPDIR"), std::filesystem::path(module).parent_path().string());
  EXPECT_EQ(valueOf(registry(), "Interface\\{0E5D207E-8BCD-4ED8-BBB9-3FB75793A0B2}"), "_DZorvAX");
  EXPECT_EQ(valueOf(registry(), "Interface\\{0DA7FB57-54D0-4926-846F-D4906D5C2FBF}\\TypeLib"),
            "{412532B1-0C61-4900-8767-647BD63CA0C5}");
  EXPECT_TRUE(isTypeLibraryRegistered(registry()));

  // Registering again changes nothing.
  ASSERT_EQ(registerModule(registry()), ole::S_OK);
  EXPECT_EQ(valueOf(registry(), control + "\\MiscStatus\\1"), "131473");
}

TEST_F(RegistrationTest, UnregisterRemovesTheClassButLeavesItsCategories) {
  ASSERT_EQ(registerModule(registry()), ole::S_OK);
  ASSERT_EQ(unregisterModule(registry()), ole::S_OK);

  EXPECT_EQ(clsidFromProgId(registry(), "ZORVAX.ZorvAXCtrl.1"), std::nullopt);
  EXPECT_FALSE(keyExists(registry(), "ZORVAX.ZorvAXCtrl.1"));
  const std::string control = kControlKey;
  for (const char* entry : {"InprocServer32", "ProgID", "Control", "ToolboxBitmap32", "MiscStatus", "TypeLib", "Version"})
    EXPECT_FALSE(keyExists(registry(), control + "\\" + entry)) << entry;
  for (const char* catid : {kScriptable, kInitializable}) {
    EXPECT_TRUE(keyExists(registry(), control + "\\Implemented Categories\\" + catid)) << catid;
    EXPECT_TRUE(keyExists(registry(), std::string("Component Categories\\") + catid)) << catid;
  }
  EXPECT_FALSE(keyExists(registry(), kPageKey));
  EXPECT_FALSE(keyExists(registry(), kLibraryKey));
  EXPECT_FALSE(keyExists(registry(), "Interface\\{0E5D207E-8BCD-4ED8-BBB9-3FB75793A0B2}"));
  EXPECT_FALSE(isTypeLibraryRegistered(registry()));

  std::shared_ptr<ole::Dispatch> object;
  EXPECT_EQ(createObjectByProgId(env(), "ZORVAX.ZorvAXCtrl.1", object), ole::hr(0x800401F3));
  EXPECT_EQ(object, nullptr);

  // Nothing left to unregister: the type library step fails first.
  EXPECT_EQ(unregisterModule(registry()), ole::SELFREG_E_TYPELIB);
  // And the module registers again.
  EXPECT_EQ(registerModule(registry()), ole::S_OK);
  EXPECT_TRUE(clsidFromProgId(registry(), "ZORVAX.ZorvAXCtrl.1").has_value());
}

TEST_F(RegistrationTest, AStoreThatCannotBeWrittenFailsTheStepItStops) {
  // The whole store unusable: the type library, registered first, cannot be written.
  const std::string database = home.file("registry.db");
  std::filesystem::create_directories(database);
  EXPECT_EQ(registerModule(registry()), ole::SELFREG_E_TYPELIB);
  EXPECT_EQ(unregisterModule(registry()), ole::SELFREG_E_TYPELIB);
  std::filesystem::remove(database);

  // A store that takes everything but the control's class key: the class step fails.
  ASSERT_TRUE(registry().createKey(Hive::ClassesRoot, "Probe", reg::kKeyAllAccess));
  ASSERT_TRUE(refuseKeysNamed(database, "{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}"));
  EXPECT_EQ(registerModule(registry()), ole::SELFREG_E_CLASS);
  EXPECT_TRUE(isTypeLibraryRegistered(registry()));
  EXPECT_EQ(clsidFromProgId(registry(), "ZORVAX.ZorvAXCtrl.1"), std::nullopt);
}

TEST_F(RegistrationTest, CategoryStepsThatFailLeaveTheResultAlone) {
  // A store that refuses the scripting category's key, wherever it goes, and then every
  // implemented-category entry: the class registers all the same, and silently.
  ASSERT_TRUE(registry().createKey(Hive::ClassesRoot, "Probe", reg::kKeyAllAccess));
  const std::string database = home.file("registry.db");
  ASSERT_TRUE(refuseKeysNamed(database, kScriptable));
  ASSERT_EQ(registerModule(registry()), ole::S_OK);
  const std::string control = kControlKey;
  EXPECT_FALSE(keyExists(registry(), std::string("Component Categories\\") + kScriptable));
  EXPECT_FALSE(keyExists(registry(), control + "\\Implemented Categories\\" + kScriptable));
  EXPECT_TRUE(keyExists(registry(), control + "\\Implemented Categories\\" + kInitializable));
  EXPECT_TRUE(clsidFromProgId(registry(), "ZORVAX.ZorvAXCtrl.1").has_value());

  ASSERT_EQ(unregisterModule(registry()), ole::S_OK);
  ASSERT_TRUE(refuseKeysNamed(database, "Implemented Categories"));
  ASSERT_TRUE(registry().deleteTree(Hive::ClassesRoot, control) == reg::kSuccess);
  EXPECT_EQ(registerModule(registry()), ole::S_OK);
  EXPECT_FALSE(keyExists(registry(), control + "\\Implemented Categories"));
  EXPECT_TRUE(clsidFromProgId(registry(), "ZORVAX.ZorvAXCtrl.1").has_value());
  EXPECT_TRUE(user->records().empty()) << "category failures are silent";
}

TEST_F(RegistrationTest, FactoriesMakeObjectsAndCountThem) {
  void* factory = nullptr;
  EXPECT_EQ(DllGetClassObject(&ids::CLSID_ZorvAX(), &ids::IID_IClassFactory(), nullptr), ole::E_POINTER);
  EXPECT_EQ(DllGetClassObject(&ids::LIBID_ZORVAXLib(), &ids::IID_IClassFactory(), &factory),
            ole::CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(DllGetClassObject(&ids::CLSID_ZorvAX(), &ids::IID_DZorvAX(), &factory), ole::E_NOINTERFACE);
  EXPECT_EQ(factory, nullptr);
  ASSERT_EQ(DllGetClassObject(&ids::CLSID_ZorvAX(), &ids::IID_IClassFactory(), &factory), ole::S_OK);
  auto* controls = static_cast<ClassFactory*>(factory);
  EXPECT_STREQ(controls->progId(), "ZORVAX.ZorvAXCtrl.1");
  ASSERT_EQ(DllGetClassObject(&ids::CLSID_ZorvAXPropPage(), &ids::IID_IUnknown(), &factory), ole::S_OK);
  auto* pages = static_cast<ClassFactory*>(factory);
  EXPECT_STREQ(pages->progId(), "ZORVAX.ZorvAXPropPage.1");

  EXPECT_EQ(DllCanUnloadNow(), ole::S_OK);
  std::shared_ptr<ole::Dispatch> first, second, page;
  ASSERT_EQ(controls->createInstance(env(), first), ole::S_OK);
  ASSERT_EQ(controls->createInstance(env(), second), ole::S_OK);
  ASSERT_EQ(pages->createInstance(env(), page), ole::S_OK);
  EXPECT_NE(first, second);
  EXPECT_NE(dynamic_cast<CZorvAXCtrl*>(first.get()), nullptr);
  EXPECT_NE(dynamic_cast<CZorvAXPropPage*>(page.get()), nullptr);
  EXPECT_EQ(liveObjectCount(), 3);
  EXPECT_EQ(DllCanUnloadNow(), ole::S_FALSE);
  first.reset();
  page.reset();
  EXPECT_EQ(DllCanUnloadNow(), ole::S_FALSE);
  second.reset();
  EXPECT_EQ(DllCanUnloadNow(), ole::S_OK);
}

TEST_F(RegistrationTest, ProgIdCreationGoesThroughTheRegisteredClass) {
  std::shared_ptr<ole::Dispatch> object;
  EXPECT_EQ(createObjectByProgId(env(), "ZORVAX.ZorvAXCtrl.1", object), ole::hr(0x800401F3));
  ASSERT_EQ(registerModule(registry()), ole::S_OK);
  ASSERT_EQ(createObjectByProgId(env(), "zorvax.zorvaxctrl.1", object), ole::S_OK);  // names ignore case
  auto* control = dynamic_cast<CZorvAXCtrl*>(object.get());
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->getVersion(), "3.1.0");
  EXPECT_EQ(liveObjectCount(), 1);
  object.reset();
  EXPECT_EQ(liveObjectCount(), 0);

  // A ProgID naming a class without a server, and one naming another module's class.
  auto store = [this](const std::string& path, const std::string& text) {
    auto key = registry().createKey(Hive::ClassesRoot, path, reg::kKeyAllAccess);
    registry().setValue(*key, "", reg::REG_SZ, text.data(), static_cast<std::uint32_t>(text.size()));
  };
  store("Other.NoServer\\CLSID", "{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(createObjectByProgId(env(), "Other.NoServer", object), ole::REGDB_E_CLASSNOTREG);
  store("CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32", "/usr/lib/other.so");
  EXPECT_EQ(createObjectByProgId(env(), "Other.NoServer", object), ole::CLASS_E_CLASSNOTAVAILABLE);
  // Windows keeps a text's terminating zero with it; it is no part of the text.
  store("Other.Terminated\\CLSID", std::string("{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}") + '\0');
  EXPECT_EQ(clsidFromProgId(registry(), "Other.Terminated"),
            ole::Guid::parse("{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}"));
  store("Other.Broken\\CLSID", "not a guid");
  EXPECT_EQ(createObjectByProgId(env(), "Other.Broken", object), ole::hr(0x800401F3));
  EXPECT_EQ(createObjectByProgId(env(), "", object), ole::hr(0x800401F3));
  EXPECT_EQ(createObjectByProgId(env(), "CLSID\\{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}", object), ole::hr(0x800401F3));
  EXPECT_EQ(object, nullptr);
}

}  // namespace
}  // namespace zx
