// The run-time binding of wsock32.dll and the resolution functions, on the
// system's own Windows Sockets (loopback names only: no traffic leaves the
// machine).

#include "net/WSocketLib.h"

#include <gtest/gtest.h>

#include "tests/win32/TestSupport.h"

#include <functional>
#include <string>


TEST(SocketLibrary, LoadsOnFirstUseAndAgainAfterUnload) {
  UnloadSocketLibrary();
  EXPECT_FALSE(SocketLibraryLoaded());
  EXPECT_EQ(nullptr, LoadSocketFunction(""));
  EXPECT_TRUE(SocketLibraryLoaded());
  EXPECT_EQ(0x3412, WSocketApi().htons(0x1234));
  UnloadSocketLibrary();
  EXPECT_FALSE(SocketLibraryLoaded());
  EXPECT_EQ(0x3412, WSocketApi().ntohs(0x1234)) << "bound again after the unload";
  EXPECT_EQ(0x3412, WSocketApi().htons(0x1234));
  EXPECT_NE(std::string::npos,
            ErrorOf([] { LoadSocketFunction("NoSuchFunction"); }).find("Procedure NoSuchFunction not found in wsock32.dll Error #"));
}

TEST(SocketLibrary, LastSocketUnloads) {
  UnloadSocketLibrary();
  SocketCreated();
  SocketCreated();
  LoadSocketFunction("");
  SocketDestroyed();
  EXPECT_TRUE(SocketLibraryLoaded());
  SocketDestroyed();
  EXPECT_FALSE(SocketLibraryLoaded());
  EXPECT_EQ(0, LiveSocketCount());
}

TEST(SocketLibrary, ResolveHost) {
  EXPECT_EQ(WSocketApi().inet_addr("127.0.0.1"), WSocketResolveHost("127.0.0.1"));
  EXPECT_EQ(WSocketApi().inet_addr("10.1.2.3"), WSocketResolveHost(" 10.1.2.3 ")) << "converted, not contacted";
  EXPECT_EQ(0xFFFFFFFFu, WSocketResolveHost("255.255.255.255"));
  EXPECT_EQ(WSocketApi().inet_addr("127.0.0.1"), WSocketResolveHost("localhost"));
  EXPECT_EQ("WSocketResolveHost: '' Invalid Hostname.", ErrorOf([] { WSocketResolveHost(""); }));
  const std::string longName(257, 'a');
  EXPECT_EQ("WSocketResolveHost: '" + longName + "' Invalid Hostname.", ErrorOf([&] { WSocketResolveHost(longName); }));
}

TEST(SocketLibrary, ResolvePortAndProto) {
  EXPECT_EQ(80, WSocketResolvePort("80abc", "tcp"));
  EXPECT_EQ(80, WSocketResolvePort("http", "tcp")) << "from the services database";
  EXPECT_EQ(0, WSocketResolvePort("0", "tcp"));
  EXPECT_EQ("WSocketResolvePort: Invalid Port.", ErrorOf([] { WSocketResolvePort(std::string(32, '1'), "tcp"); }));
  EXPECT_EQ("WSocketResolvePort: Invalid Port.", ErrorOf([] { WSocketResolvePort("", "tcp"); }));
  EXPECT_EQ("WSocketResolvePort: Invalid Proto.", ErrorOf([] { WSocketResolvePort("80", ""); }));
  EXPECT_NE("(no error)", ErrorOf([] { WSocketResolvePort("70000", "tcp"); }));
  EXPECT_EQ(0u, ErrorOf([] { WSocketResolvePort("nosuchservice", "tcp"); })
                    .find("WSocketResolvePort: Cannot convert port 'nosuchservice', Error #"));

  EXPECT_EQ(6, WSocketResolveProto("tcp"));
  EXPECT_EQ(17, WSocketResolveProto("udp"));
  EXPECT_EQ(17, WSocketResolveProto("17"));
  EXPECT_EQ("WSocketResolveProto: Invalid Protocol.", ErrorOf([] { WSocketResolveProto(""); }));
  EXPECT_EQ(0u, ErrorOf([] { WSocketResolveProto("nosuchproto"); })
                    .find("WSocketResolveProto: Cannot convert protocol 'nosuchproto', Error #"));
}
