#pragma once
// gzip for the payload: decompression of downloads with progress, compression of uploads.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "platform/fs.h"

namespace zx {

// Told each piece of decompressed data: the bytes done so far, and the range, which is the
// expected total until more has come out than that, and then the count itself.
using GunzipProgress = void (*)(std::uint32_t userData, std::uint32_t bytesDone, std::uint32_t range);

// Asked before each piece of decompressed data is written, with its size; false stops.
using GunzipRoom = std::function<bool(std::size_t bytes)>;

// Decompresses every gzip member of `in` into `out`, as gzip -d does; bytes after a member that
// are no member, and a member cut short, are failures. nullopt, or the text of what stopped it
// (zlib's own message, the file's error, or "no room" when `room` refused a piece).
std::optional<std::string> gunzipMembers(platform::File& in, platform::File& out, GunzipProgress progress,
                                         std::uint32_t userData, std::uint32_t expectedTotal,
                                         const GunzipRoom& room = {});

// Decompresses gzPath into plainPath (made by the caller): 0, or -1 after telling the user.
// Every gzip member is decoded; bytes after the last that are no member are a failure. A
// document that would leave less free space than the configured reserve (decompressionReserve)
// where plainPath lies stops with the disk-full box, and plainPath is removed.
// deleteInput removes gzPath either way, except when it cannot be found.
std::int32_t decompressStep(const platform::Env& env, std::string_view gzPath, std::string_view plainPath,
                            bool deleteInput);

// Writes sourcePath gzip-compressed into tempPath (made by the caller): 0, -1 after telling the
// user, -2 when the user cancelled. tempPath is removed unless it holds the compressed copy.
std::int32_t compressStep(const platform::Env& env, std::string_view sourcePath, std::string_view tempPath);

}  // namespace zx
