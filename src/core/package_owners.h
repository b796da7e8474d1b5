#pragma once
// Which web origins may use which package key. A page reads and writes only the packages its
// origin made or was given: the record sits under "Software\QORAX\ZorvAX0\WebPackages", one
// value per package (the package key's name below the root), its data the owning origins
// separated by spaces. Like the origin list it belongs to the user: no package text reaches it.
// The package keys themselves are left as the companion program and the command line know them.
//
// Threads: any (each call is its own registry transaction; nothing is cached between calls).
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/api.h"
#include "platform/registry.h"

namespace zx {

// The package a package text names, as the store reads the key path: its first element below
// the root ("P1" for "P1", "\P1\" and "P1\sub"); empty when it names none, or names a key the
// control keeps for itself (the origin list, this record).
ZX_API std::string packageNameOf(std::string_view package);

// Whether `origin` may use the package key of `package` (which exists or is about to be made).
// The user (an empty origin) always may. A package nobody owns yet goes to the origin that uses
// it first, which is recorded here; a record that cannot be read or written refuses the page.
ZX_API bool mayUsePackage(platform::Registry& registry, std::string_view origin, std::string_view package);

// The origins that own `package`, in the order they got it.
ZX_API std::vector<std::string> packageOwners(platform::Registry& registry, std::string_view package);
// Adds `origin` to the owners of `package` (the user giving it). False when the package or the
// origin names none, or the store refuses the write.
ZX_API bool givePackage(platform::Registry& registry, std::string_view package, std::string_view origin);
// Removes `origin` from the owners of `package`; a package left without owners goes to the next
// origin that uses it. False when the package names none or the store refuses the change.
ZX_API bool takePackage(platform::Registry& registry, std::string_view package, std::string_view origin);
// Removes `origin` from every package it owns.
ZX_API bool forgetOriginPackages(platform::Registry& registry, std::string_view origin);
// Each owning origin with its packages, both sorted.
ZX_API std::map<std::string, std::vector<std::string>> packagesByOrigin(platform::Registry& registry);

}  // namespace zx
