#pragma once
// The system's automation types beside the control's own: VARIANTs to and from script values,
// and the system's dispatch objects (a page's documents) as ole::Dispatch.
#include <memory>
#include <optional>
#include <string>

#include "platform/ole.h"

#include "platform/win32/system_headers.h"
#include <oaidl.h>

namespace zx::platform::win32 {

// The control's identities and the system's are the same 16 bytes.
static_assert(sizeof(ole::Guid) == sizeof(GUID));
inline const GUID& systemId(const ole::Guid& id) { return reinterpret_cast<const GUID&>(id); }
inline const ole::Guid& ourId(const GUID& id) { return reinterpret_cast<const ole::Guid&>(id); }

// A BSTR's text, with the zeros it may hold; empty for nullptr.
std::u16string textOf(BSTR text);

// A script argument or property value; nullopt for a type the control takes no values of.
std::optional<ole::Variant> fromVariant(const VARIANT& value);
// A result for the script; E_OUTOFMEMORY when a string cannot be allocated.
HRESULT toVariant(const ole::Variant& value, VARIANT* out);

// A system object as ole::Dispatch; it holds a reference of its own. nullptr stays nullptr.
std::shared_ptr<ole::Dispatch> wrapDispatch(IDispatch* object);
// The system object behind a wrapped one, or nullptr.
IDispatch* systemDispatchOf(const ole::Dispatch* object);

}  // namespace zx::platform::win32
