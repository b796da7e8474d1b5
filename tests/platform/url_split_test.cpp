// The URL splitter of the platform's HTTP library, held to the same rules on both systems:
// WinInet's InternetCrackUrl on Windows, the control's own splitter on Linux.
#include <gtest/gtest.h>

#include "platform/http.h"

namespace http = zx::platform::http;

TEST(UrlSplitter, SplitsSchemeHostPortAndObjectAlikeOnBothSystems) {
  http::UrlParts parts;
  ASSERT_TRUE(http::crackUrl("http://srv/path/svc", parts));
  EXPECT_EQ(parts.scheme, http::scheme::kHttp);
  EXPECT_EQ(parts.host, "srv");
  EXPECT_EQ(parts.port, 80);
  EXPECT_EQ(parts.object, "/path/svc");

  ASSERT_TRUE(http::crackUrl("https://srv", parts));
  EXPECT_EQ(parts.port, 443);
  EXPECT_EQ(parts.object, "/");
  ASSERT_TRUE(http::crackUrl("ftp://srv/f", parts));
  EXPECT_EQ(parts.scheme, http::scheme::kFtp);

  // A file URL's authority is host and port, whatever the scheme's case; a port that is no
  // number is 0; a single letter before the colon is a drive, not a host.
  ASSERT_TRUE(http::crackUrl("FILE://srv:9000/doc", parts));
  EXPECT_EQ(parts.scheme, http::scheme::kFile);
  EXPECT_EQ(parts.host, "srv");
  EXPECT_EQ(parts.port, 9000);
  ASSERT_TRUE(http::crackUrl("file://srv:abc/doc", parts));
  EXPECT_EQ(parts.host, "srv");
  EXPECT_EQ(parts.port, 0);
  ASSERT_TRUE(http::crackUrl("file://srv/doc", parts));
  EXPECT_EQ(parts.host, "srv");
  EXPECT_EQ(parts.port, 0);
  ASSERT_TRUE(http::crackUrl("file://C:/dir/doc", parts));
  EXPECT_EQ(parts.host, "");

  // Korean path bytes (code page 949) and spaces are escaped.
  ASSERT_TRUE(http::crackUrl("http://srv/\xB9\xAE\xBC\xAD doc", parts));
  EXPECT_EQ(parts.object, "/%B9%AE%BC%AD%20doc");
}

