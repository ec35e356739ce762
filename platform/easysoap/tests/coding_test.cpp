#include <gtest/gtest.h>

#include "kf/easysoap/soapbase64.h"
#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/url.h"

namespace kf::easysoap {
namespace {

std::string Text(const std::vector<std::uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

TEST(Base64, RoundTripsEveryPaddingLength) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
        {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {std::string("\0\xff\x10", 3), "AP8Q"}};
    for (const auto& [plain, coded] : cases) {
        EXPECT_EQ(SOAPBase64Base::Encode(plain.data(), plain.size()), coded);
        EXPECT_EQ(Text(SOAPBase64Base::Decode(coded)), plain);
        EXPECT_GE(SOAPBase64Base::EstimateSize(coded.size()), plain.size());
    }
    EXPECT_EQ(Text(SOAPBase64Base::Decode("Zm9v\r\nYg==")), "foob");
}

TEST(Base64, RefusesBadText) {
    for (const char* bad : {"Zm9", "Zm9v!", "Zg==Zg==", "Z===", "=Zg="}) {
        EXPECT_THROW(SOAPBase64Base::Decode(bad), SOAPException) << bad;
    }
}

TEST(Hex, RoundTripsAndRefusesBadText) {
    const std::string bytes("\x01\xab\xff", 3);
    EXPECT_EQ(SOAPHexBase::Encode(bytes.data(), bytes.size()), "01ABFF");
    EXPECT_EQ(Text(SOAPHexBase::Decode("01abFF")), bytes);
    EXPECT_THROW(SOAPHexBase::Decode("0"), SOAPException);
    EXPECT_THROW(SOAPHexBase::Decode("0g"), SOAPException);
}

TEST(Url, SplitsEndpoints) {
    struct Case {
        const char* text;
        const char* user; // null: none
        const char* password;
        const char* host;
        int port;
        const char* path;
        const char* bare;
    };
    const Case cases[] = {
        {"http://h/p", nullptr, nullptr, "h", 80, "/p", "http://h/p"},
        {"HTTPS://h", nullptr, nullptr, "h", 443, "/", "https://h/"},
        {"http://u:p@h:8080/a/b?x", "u", "p", "h", 8080, "/a/b?x", "http://h:8080/a/b?x"},
        {"http://u@h/", "u", nullptr, "h", 80, "/", "http://h/"},
        {"http://u:p@ss@h/", "u", "p@ss", "h", 80, "/", "http://h/"},
        {"http://u%3Ax:p%40@h/", "u:x", "p@", "h", 80, "/", "http://h/"},
        {"http://[::1]:81/s", nullptr, nullptr, "::1", 81, "/s", "http://[::1]:81/s"},
    };
    for (const Case& c : cases) {
        const auto url = ParseUrl(c.text);
        ASSERT_TRUE(url) << c.text;
        EXPECT_EQ(url->user.value_or("<none>"), c.user ? c.user : "<none>") << c.text;
        EXPECT_EQ(url->password.value_or("<none>"), c.password ? c.password : "<none>") << c.text;
        EXPECT_EQ(url->host, c.host) << c.text;
        EXPECT_EQ(url->port, c.port) << c.text;
        EXPECT_EQ(url->path, c.path) << c.text;
        EXPECT_EQ(url->WithoutCredentials(), c.bare) << c.text;
    }
    for (const char* bad : {"", "h/p", "://h", "http://", "http://h:/", "http://h:0/",
                            "http://h:65536/", "http://h:8a/", "http://u@/", "http://[::1/"}) {
        EXPECT_FALSE(ParseUrl(bad)) << bad;
    }
}

} // namespace
} // namespace kf::easysoap
