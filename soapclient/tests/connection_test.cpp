#include <gtest/gtest.h>

#include "kf/soap/connection.h"

namespace kf::soap {
namespace {

TEST(SetOptions, TableOfTexts) {
    struct Case {
        std::u16string_view text;
        std::int32_t result;
        std::u16string_view user, password;
        int timeout;
        bool cache;
    };
    const Case cases[] = {
        {u"userid='u', timeout=30", 0, u"u", u"", 30, false},
        {u"timeout='30'", 50, u"", u"", 0, false},
        {u" TimeOut = 7 , PASSWORD = \"p w\" ", 0, u"", u"p w", 7, false},
        {u"connectioncache=TRUE", 0, u"", u"", 0, true},
        {u"connectioncache='true'", 50, u"", u"", 0, false},
        {u"connectioncache=maybe", 50, u"", u"", 0, false},
        {u"userid='a',", 50, u"a", u"", 0, false}, // comma as last character
        {u"userid='a', ", 0, u"a", u"", 0, false},
        {u"", 0, u"", u"", 0, false},
        {u"   ", 0, u"", u"", 0, false},
        {u"userid='it''s'", 50, u"it", u"", 0, false}, // no escapes: the second quote ends it
        {u"userid=\"it's\"", 0, u"it's", u"", 0, false},
        {u"userid=", 50, u"", u"", 0, false},
        {u"userid=  ", 50, u"", u"", 0, false},
        {u"userid 'u'", 50, u"", u"", 0, false},
        {u"userid='u", 50, u"", u"", 0, false},
        {u"=5", 50, u"", u"", 0, false},
        {u"timeout=5x", 50, u"", u"", 5, false},
        {u"timeout=5;userid='u'", 50, u"", u"", 5, false},
        {u"timeout=2147483647", 0, u"", u"", 2147483647, false},
        {u"timeout=2147483648", 50, u"", u"", 0, false},
        {u"timeout=-1", 50, u"", u"", 0, false},
        {u"timeout=1,,timeout=2", 50, u"", u"", 1, false},
        {u"colour='red'", 50, u"", u"", 0, false},
        {u"userid=bob", 50, u"", u"", 0, false},
        {u"my_key1='x'", 50, u"", u"", 0, false},
    };
    for (const Case& c : cases) {
        SoapConnectionObject conn;
        EXPECT_EQ(conn.SetOptions(c.text), c.result) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(conn.Settings().user, c.user) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(conn.Settings().password, c.password);
        EXPECT_EQ(conn.Settings().timeout, c.timeout) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(conn.Settings().connectionCache, c.cache);
    }
}

TEST(SetOptions, LaterTextsChangeOnlyWhatTheyName) {
    SoapConnectionObject conn;
    EXPECT_EQ(conn.SetOptions(u"userid='u', connectioncache=true"), 0);
    EXPECT_EQ(conn.SetOptions(u"connectioncache=False"), 0);
    EXPECT_EQ(conn.Settings().user, u"u");
    EXPECT_FALSE(conn.Settings().connectionCache);
}

TEST(ProxyAddress, TableOfAddresses) {
    struct Case {
        std::u16string_view address;
        bool ok;
        std::u16string_view protocol, host, port, path;
    };
    const Case cases[] = {
        {u"http://proxy.example:8080/p/q", true, u"http", u"proxy.example", u"8080", u"p/q"},
        {u"proxy.example:3128", true, u"http", u"proxy.example", u"3128", u""},
        {u"proxy.example", true, u"http", u"proxy.example", u"80", u""},
        {u"proxy.example/p", true, u"http", u"proxy.example", u"80", u"p"},
        {u"https://secure", true, u"https", u"secure", u"443", u""},
        {u"ftp://files:2121", true, u"ftp", u"files", u"2121", u""},
        {u"gopher://old:70", false, u"http", u"", u"80", u""},
        {u"HTTP://upper", false, u"http", u"", u"80", u""},
        {u"host:/path", true, u"http", u"host", u"", u"path"},
        {u"", true, u"http", u"", u"80", u""},
    };
    for (const Case& c : cases) {
        ProxyServer p;
        p.host = u"old";
        p.path = u"old";
        EXPECT_EQ(ParseProxyAddress(c.address, p), c.ok);
        EXPECT_EQ(p.protocol, c.protocol);
        EXPECT_EQ(p.host, c.host);
        EXPECT_EQ(p.port, c.port);
        EXPECT_EQ(p.path, c.path);
    }
}

TEST(SetProxyServerOptions, KeysAndErrors) {
    SoapConnectionObject conn;
    EXPECT_EQ(conn.SetProxyServerOptions(u"Address='p:81', userid='pu', password='pp'"), 0);
    EXPECT_EQ(conn.Settings().proxy.host, u"p");
    EXPECT_EQ(conn.Settings().proxy.user, u"pu");
    EXPECT_EQ(conn.SetProxyServerOptions(u"address='x://y'"), 50);
    EXPECT_EQ(conn.Settings().proxy.host, u"");
    EXPECT_EQ(conn.Settings().proxy.port, u"80");
    EXPECT_EQ(conn.SetProxyServerOptions(u"port=8080"), 50);
    EXPECT_EQ(conn.SetProxyServerOptions(u"address=host"), 50);
}

TEST(Credentials, EndpointRules) {
    struct Case {
        std::u16string_view endpoint;
        bool fromPortName;
        std::u16string_view user, password, expected;
    };
    const Case cases[] = {
        {u"http://host/path", false, u"u", u"p", u"http://u:p@host/path"},
        {u"http://host/path", false, u"u", u"", u"http://u@host/path"},
        {u"http://host/path", false, u"", u"p", u"http://host/path"},
        {u"http://old:pw@host/path", false, u"u", u"p", u"http://u:p@host/path"},
        {u"http://old:pw@host/path", true, u"u", u"p", u"http://old:pw@host/path"},
        {u"http://host/path", true, u"u", u"p", u"http://u:p@host/path"},
        {u"host/path", false, u"u", u"p", u"host/path"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            EndpointWithCredentials(std::u16string(c.endpoint), c.fromPortName, c.user, c.password),
            c.expected);
    }
}

TEST(Credentials, ProxyServerUrl) {
    ProxyServer p;
    EXPECT_EQ(ProxyServerUrl(p), u"");
    p.host = u"  ";
    EXPECT_EQ(ProxyServerUrl(p), u"");
    ParseProxyAddress(u"http://px:3128/x", p);
    EXPECT_EQ(ProxyServerUrl(p), u"http://px:3128/x");
    p.user = u"pu";
    EXPECT_EQ(ProxyServerUrl(p), u"http://pu@px:3128/x");
    p.password = u"pp";
    p.path = u" ";
    p.port = u"";
    p.protocol = u"";
    EXPECT_EQ(ProxyServerUrl(p), u"http://pu:pp@px:80");
}

} // namespace
} // namespace kf::soap
