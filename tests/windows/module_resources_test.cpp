// Reads the module's resources back through the system's own loaders: this program links the
// same resource object as the module, so its type library (resource TYPELIB 1, compiled by
// widl), version resource and string table are the module's. Under Wine that also shows that
// Wine's oleaut32 accepts what widl wrote. The toolbox bitmap is read from the built module
// itself, which the registration names for it.

#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "support/child_process.h"

#include <string>
#include <vector>

namespace {

// {412532B1-0C61-4900-8767-647BD63CA0C5}
const GUID kLibId = {0x412532B1, 0x0C61, 0x4900, {0x87, 0x67, 0x64, 0x7B, 0xD6, 0x3C, 0xA0, 0xC5}};
// {0E5D207E-8BCD-4ED8-BBB9-3FB75793A0B2}
const GUID kDispatchId = {0x0E5D207E, 0x8BCD, 0x4ED8, {0xBB, 0xB9, 0x3F, 0xB7, 0x57, 0x93, 0xA0, 0xB2}};
// {0DA7FB57-54D0-4926-846F-D4906D5C2FBF}
const GUID kEventsId = {0x0DA7FB57, 0x54D0, 0x4926, {0x84, 0x6F, 0xD4, 0x90, 0x6D, 0x5C, 0x2F, 0xBF}};
// {40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}
const GUID kClassId = {0x40B8C7BB, 0xFD7C, 0x44CA, {0xBF, 0x70, 0x5A, 0xDB, 0x0D, 0xC6, 0x35, 0xCB}};

std::wstring ownPath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

// Takes over a BSTR the callee allocated.
std::wstring take(BSTR text) {
  std::wstring copy = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return copy;
}

template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
};

class TypeLibrary : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadTypeLibEx(ownPath().c_str(), REGKIND_NONE, &lib.p), S_OK);
  }

  Released<ITypeInfo> typeInfo(const GUID& id) {
    Released<ITypeInfo> info;
    EXPECT_EQ(lib->GetTypeInfoOfGuid(id, &info.p), S_OK);
    return info;
  }

  static std::wstring docString(ITypeInfo* info, MEMBERID member) {
    BSTR text = nullptr;
    EXPECT_EQ(info->GetDocumentation(member, nullptr, &text, nullptr, nullptr), S_OK);
    return take(text);
  }

  Released<ITypeLib> lib;
};

TEST_F(TypeLibrary, NamesTheLibraryWithItsVersionLocaleAndHelp) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, kLibId));
  EXPECT_EQ(attr->lcid, 0x0409u);
  EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  // No restricted, control or hidden flag; the loader adds "has a disk image" itself.
  EXPECT_EQ(attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, 0);
  lib->ReleaseTLibAttr(attr);

  BSTR name = nullptr, doc = nullptr, helpFile = nullptr;
  ASSERT_EQ(lib->GetDocumentation(-1, &name, &doc, nullptr, &helpFile), S_OK);
  EXPECT_EQ(take(name), L"ZORVAXLib");
  EXPECT_EQ(take(doc), L"ZorvAX ActiveX Control module");
  EXPECT_EQ(take(helpFile), L"ZorvAX.hlp");
  EXPECT_EQ(lib->GetTypeInfoCount(), 3u);
}

struct Parameter {
  const wchar_t* name;
  VARTYPE type;
};

struct Member {
  const wchar_t* name;
  MEMBERID id;
  VARTYPE type;  // a property's type or a method's result
  std::vector<Parameter> parameters;
};

// What a script host finds by name: seven properties, then twelve methods.
const Member kProperties[] = {
    {L"Pubkey", 4, VT_BSTR, {}},     {L"Filename", 5, VT_BSTR, {}}, {L"url", 6, VT_BSTR, {}},
    {L"size", 7, VT_I4, {}},         {L"FileFilter", 8, VT_BSTR, {}},
    {L"dialog", 9, VT_BSTR, {}},     {L"ret", 10, VT_I4, {}},
};
const Member kMethods[] = {
    {L"getVersion", 15, VT_BSTR, {}},
    {L"download", 16, VT_I4,
     {{L"userId", VT_BSTR}, {L"sessionId", VT_BSTR}, {L"compressed", VT_BSTR}, {L"ciphered", VT_BSTR}}},
    {L"getPath", 17, VT_BSTR, {}},
    {L"removeFile", 18, VT_VOID, {}},
    {L"showFile", 19, VT_VOID, {}},
    {L"saveXml", 20, VT_I4, {{L"dom", VT_DISPATCH}}},
    {L"upload", 21, VT_I4, {{L"userId", VT_BSTR}, {L"compressed", VT_BSTR}, {L"ciphered", VT_BSTR}}},
    {L"getMACAddr", 22, VT_BSTR, {{L"showMsg", VT_BSTR}}},
    {L"saveFile", 23, VT_I4, {{L"str", VT_BSTR}}},
    {L"saveXmlWithStyle", 24, VT_I4, {{L"dom", VT_DISPATCH}, {L"stylesheet", VT_BSTR}}},
    {L"AboutBox", DISPID_ABOUTBOX, VT_VOID, {}},
    {L"test_zorvax", 25, VT_I4, {}},
};

TEST_F(TypeLibrary, DispatchInterfaceIsHiddenAndDescribed) {
  auto info = typeInfo(kDispatchId);
  ASSERT_TRUE(info.p);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FHIDDEN | TYPEFLAG_FDISPATCHABLE);
  EXPECT_EQ(attr->cVars, std::size(kProperties));
  EXPECT_EQ(attr->cFuncs, std::size(kMethods));
  info->ReleaseTypeAttr(attr);

  BSTR name = nullptr;
  ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(take(name), L"_DZorvAX");
  EXPECT_EQ(docString(info.p, MEMBERID_NIL), L"Dispatch interface for ZorvAX Control");
}

TEST_F(TypeLibrary, ListsThePropertiesInOrderWithTheirTypes) {
  auto info = typeInfo(kDispatchId);
  ASSERT_TRUE(info.p);
  for (UINT i = 0; i < std::size(kProperties); ++i) {
    const Member& expected = kProperties[i];
    VARDESC* var = nullptr;
    ASSERT_EQ(info->GetVarDesc(i, &var), S_OK);
    EXPECT_EQ(var->memid, expected.id) << i;
    EXPECT_EQ(var->varkind, VAR_DISPATCH) << i;
    EXPECT_EQ(var->elemdescVar.tdesc.vt, expected.type) << i;
    BSTR name = nullptr;
    EXPECT_EQ(info->GetDocumentation(var->memid, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(take(name), expected.name);
    info->ReleaseVarDesc(var);
  }
}

TEST_F(TypeLibrary, ListsTheMethodsInOrderWithTheirParameters) {
  auto info = typeInfo(kDispatchId);
  ASSERT_TRUE(info.p);
  for (UINT i = 0; i < std::size(kMethods); ++i) {
    const Member& expected = kMethods[i];
    FUNCDESC* func = nullptr;
    ASSERT_EQ(info->GetFuncDesc(i, &func), S_OK);
    EXPECT_EQ(func->memid, expected.id) << i;
    EXPECT_EQ(func->funckind, FUNC_DISPATCH) << i;
    EXPECT_EQ(func->invkind, INVOKE_FUNC) << i;
    EXPECT_EQ(func->elemdescFunc.tdesc.vt, expected.type) << i;
    ASSERT_EQ(static_cast<size_t>(func->cParams), expected.parameters.size()) << i;
    for (size_t p = 0; p < expected.parameters.size(); ++p) {
      EXPECT_EQ(func->lprgelemdescParam[p].tdesc.vt, expected.parameters[p].type) << i << "/" << p;
    }

    std::vector<BSTR> names(expected.parameters.size() + 1);
    UINT count = 0;
    ASSERT_EQ(info->GetNames(func->memid, names.data(), static_cast<UINT>(names.size()), &count), S_OK);
    ASSERT_EQ(count, names.size()) << i;
    EXPECT_EQ(take(names[0]), expected.name);
    for (size_t p = 0; p < expected.parameters.size(); ++p) {
      EXPECT_EQ(take(names[p + 1]), expected.parameters[p].name) << i << "/" << p;
    }
    info->ReleaseFuncDesc(func);
  }
  EXPECT_EQ(docString(info.p, 25), L"method test_zorvax");
  EXPECT_EQ(docString(info.p, 15), L"");
}

TEST_F(TypeLibrary, NameLookupFindsOnlyTheListedMembersWithoutRegardToCase) {
  auto info = typeInfo(kDispatchId);
  ASSERT_TRUE(info.p);
  auto lookUp = [&](const wchar_t* name, MEMBERID& id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return info->GetIDsOfNames(names, 1, &id);
  };
  for (const auto& members : {std::vector<Member>(std::begin(kProperties), std::end(kProperties)),
                              std::vector<Member>(std::begin(kMethods), std::end(kMethods))}) {
    for (const Member& member : members) {
      MEMBERID id = 0;
      EXPECT_EQ(lookUp(member.name, id), S_OK) << member.name;
      EXPECT_EQ(id, member.id) << member.name;
    }
  }
  MEMBERID id = 0;
  EXPECT_EQ(lookUp(L"GETVERSION", id), S_OK);
  EXPECT_EQ(id, 15);
  // Dispatched by the control, deliberately absent here.
  for (const wchar_t* absent : {L"Port", L"Package", L"Hostname", L"setRegisterIfEmpty",
                                L"setRegisterValue", L"Run", L"getRegisterValue"}) {
    EXPECT_EQ(lookUp(absent, id), DISP_E_UNKNOWNNAME) << absent;
  }
}

TEST_F(TypeLibrary, EventInterfaceHasNoMembers) {
  auto info = typeInfo(kEventsId);
  ASSERT_TRUE(info.p);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FDISPATCHABLE);
  EXPECT_EQ(attr->cVars, 0);
  EXPECT_EQ(attr->cFuncs, 0);
  info->ReleaseTypeAttr(attr);
  EXPECT_EQ(docString(info.p, MEMBERID_NIL), L"Event interface for ZorvAX Control");
}

TEST_F(TypeLibrary, ControlClassIsACreatableControlWithItsTwoInterfaces) {
  auto info = typeInfo(kClassId);
  ASSERT_TRUE(info.p);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_COCLASS);
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL);
  EXPECT_EQ(attr->cImplTypes, 2);
  info->ReleaseTypeAttr(attr);
  EXPECT_EQ(docString(info.p, MEMBERID_NIL), L"ZorvAX Control");

  BSTR name = nullptr;
  ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(take(name), L"ZorvAX");

  const struct {
    int flags;
    const GUID* id;
  } expected[] = {{IMPLTYPEFLAG_FDEFAULT, &kDispatchId},
                  {IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE, &kEventsId}};
  for (UINT i = 0; i < 2; ++i) {
    INT flags = 0;
    ASSERT_EQ(info->GetImplTypeFlags(i, &flags), S_OK);
    EXPECT_EQ(flags, expected[i].flags) << i;
    HREFTYPE ref = 0;
    ASSERT_EQ(info->GetRefTypeOfImplType(i, &ref), S_OK);
    Released<ITypeInfo> implemented;
    ASSERT_EQ(info->GetRefTypeInfo(ref, &implemented.p), S_OK);
    TYPEATTR* implementedAttr = nullptr;
    ASSERT_EQ(implemented->GetTypeAttr(&implementedAttr), S_OK);
    EXPECT_TRUE(IsEqualGUID(implementedAttr->guid, *expected[i].id)) << i;
    implemented->ReleaseTypeAttr(implementedAttr);
  }
}

std::wstring versionText(const std::vector<BYTE>& block, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = std::wstring(L"\\StringFileInfo\\041204B0\\") + name;
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length)) return L"<none>";
  // The length counts the terminating NUL when there is one.
  std::wstring text(static_cast<const wchar_t*>(value), length);
  if (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

TEST(VersionResource, CarriesTheModuleVersion) {
  const std::wstring path = ownPath();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(1, 3));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 3));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  EXPECT_EQ(versionText(block, L"FileVersion"), L"3.1.0");
  EXPECT_EQ(versionText(block, L"ProductVersion"), L"3.1.0");
  EXPECT_EQ(versionText(block, L"OriginalFilename"), L"ZORVAX.OCX");
  EXPECT_EQ(versionText(block, L"OLESelfRegister"), L"") << "present, and empty";
  EXPECT_EQ(versionText(block, L"CompanyName"), L"<none>");
}

TEST(StringResources, HoldTheTypeNamesAndThePageCaption) {
  auto text = [](UINT id) {
    const wchar_t* start = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&start), 0);
    return std::wstring(start ? start : L"", length);
  };
  EXPECT_EQ(text(1), L"ZorvAX Control");
  EXPECT_EQ(text(2), L"ZorvAX Property Page");
  EXPECT_EQ(text(200), L"General");
  EXPECT_EQ(text(3), L"");
}

// The registration gives containers "<module>, 1" as the control's toolbox picture.
TEST(BitmapResource, TheModuleHoldsTheToolboxBitmapTheRegistrationNames) {
  HMODULE module = LoadLibraryExW((zx::wintest::programFolder() + L"zorvax.ocx").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr) << "zorvax.ocx beside the program";
  EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(2) /* RT_BITMAP */), nullptr);
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  BITMAP shape{};
  ASSERT_EQ(GetObjectW(bitmap, sizeof shape, &shape), static_cast<int>(sizeof shape));
  EXPECT_EQ(shape.bmWidth, 16);
  EXPECT_EQ(shape.bmHeight, 15);
  // The control's own picture: a white field with the ellipse in it.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_NE(GetPixel(dc, 8, 7), RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  FreeLibrary(module);
}

}  // namespace
