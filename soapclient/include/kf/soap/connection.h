// soapconnection: the options, the proxy server address, createinstance, and the texts
// the proxy handler builds from them when it opens its connection.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "kf/rt/runtimeext.h"
#include "kf/soap/options.h"

namespace kf::soap {

struct ProxyServer {
    std::u16string protocol, host, port, path;
    std::u16string user, password;
};

struct ConnectionSettings {
    std::u16string user, password;
    int timeout = 0;
    bool connectionCache = false;
    ProxyServer proxy;
};

// Result codes of the connection functions.
inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kOptionError = 50;
inline constexpr std::int32_t kProxyClassNotFound = 100;
inline constexpr std::int32_t kProxyObjectNotCreated = 101;

// One pair of each function; false for an unknown key, a wrong value kind or a bad value.
bool ApplyConnectionOption(ConnectionSettings& settings, const OptionPair& pair);
bool ApplyProxyServerOption(ProxyServer& proxy, const OptionPair& pair);
// The "address" value. Resets protocol, host, port and path first; false for an unknown
// scheme (the reset values stay).
bool ParseProxyAddress(std::u16string_view address, ProxyServer& proxy);

// The endpoint with the web service credentials put in (see the connection rules).
std::u16string EndpointWithCredentials(std::u16string endpoint, bool fromPortName,
                                       std::u16string_view user, std::u16string_view password);
// Empty when no proxy server is set.
std::u16string ProxyServerUrl(const ProxyServer& proxy);

// Log file name in the code page the C library opens files with; nothing when it cannot be
// represented there.
std::optional<std::string> LogFileName(std::u16string_view name);

class SoapConnectionObject : public rt::NativeObject {
public:
    std::int32_t InvokeMethod(rt::RuntimeContext* context, rt::ObjectHandle object,
                              rt::MethodId method, rt::CallFrame* frame) override;
    void DestroyObject() override { delete this; }

    const ConnectionSettings& Settings() const { return settings_; }
    std::int32_t SetOptions(std::u16string_view text);
    std::int32_t SetProxyServerOptions(std::u16string_view text);
    // Arguments: (ref obj, proxyname [, portname]).
    void CreateInstance(rt::RuntimeContext* context, rt::CallFrame* frame);

private:
    ConnectionSettings settings_;
};

} // namespace kf::soap
