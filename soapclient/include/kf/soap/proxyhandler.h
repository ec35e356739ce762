// The call handler that createinstance attaches to a web-service proxy object.
#pragma once

#include <string>

#include "kf/easysoap/soapproxy.h"
#include "kf/rt/runtimeext.h"
#include "kf/soap/connection.h"

namespace kf::soap {

class SoapProxyHandler : public rt::RemoteCallHandler {
public:
    SoapProxyHandler(std::u16string className, std::u16string portName,
                     const ConnectionSettings& settings);
    ~SoapProxyHandler() override;
    SoapProxyHandler(const SoapProxyHandler&) = delete;
    SoapProxyHandler& operator=(const SoapProxyHandler&) = delete;

    std::int32_t CallRemote(rt::RuntimeContext* context, rt::ObjectHandle proxy,
                            const char16_t* alias, rt::CallFrame* frame) override;
    rt::ModuleHandle LibraryHandle() override;
    void DestroyObject() override { delete this; }

    const std::u16string& ClassName() const { return className_; }
    const std::u16string& PortName() const { return portName_; }
    const ConnectionSettings& Settings() const { return settings_; }
    bool HasConnection() const { return soap_ != nullptr; }

private:
    void OpenConnection(rt::RuntimeContext* context, rt::ObjectHandle proxy);
    void ReleaseConnection();

    std::u16string className_;
    std::u16string portName_;
    ConnectionSettings settings_;
    easysoap::SOAPProxy* soap_ = nullptr;
};

// The binding style number of a "BindingStyle" text: 1 document, 2 rpc, 0 anything else.
int BindingStyleNumber(const std::optional<std::u16string>& text);

} // namespace kf::soap
