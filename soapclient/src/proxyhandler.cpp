#include "kf/soap/proxyhandler.h"

#include "kf/easysoap/soapdebugger.h"
#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"
#include "kf/soap/aliascall.h"
#include "kf/soap/entry.h"
#include "kf/soap/faults.h"
#include "kf/soap/runtimeaccess.h"
#include "kf/soap/text.h"

namespace kf::soap {

SoapProxyHandler::SoapProxyHandler(std::u16string className, std::u16string portName,
                                   const ConnectionSettings& settings)
    : className_(std::move(className)), portName_(std::move(portName)), settings_(settings) {}

SoapProxyHandler::~SoapProxyHandler() {
    if (soap_)
        easysoap::DeleteSOAPProxy(soap_);
}

rt::ModuleHandle SoapProxyHandler::LibraryHandle() {
    return LibraryModuleHandle();
}

int BindingStyleNumber(const std::optional<std::u16string>& text) {
    if (text == u"document")
        return 1;
    if (text == u"rpc")
        return 2;
    return 0;
}

void SoapProxyHandler::OpenConnection(rt::RuntimeContext* context, rt::ObjectHandle proxy) {
    std::u16string endpoint = portName_;
    const bool fromPortName = !endpoint.empty();
    if (!fromPortName) {
        const auto variable = StringField(context, proxy, u"endpoint");
        if (!variable || variable->empty()) {
            throw easysoap::SOAPException("The proxy has no endpoint: set its endpoint variable or "
                                          "give a port name to createinstance");
        }
        endpoint = *variable;
    }
    endpoint = EndpointWithCredentials(endpoint, fromPortName, settings_.user, settings_.password);
    const std::u16string proxyUrl = ProxyServerUrl(settings_.proxy);
    const int style = BindingStyleNumber(StringField(context, proxy, u"BindingStyle"));
    const std::string endpointUtf8 = ToUtf8(endpoint);
    soap_ = proxyUrl.empty()
                ? easysoap::InitSOAPProxy(endpointUtf8.c_str(), settings_.timeout, style)
                : easysoap::InitSOAPProxyEx(endpointUtf8.c_str(), ToUtf8(proxyUrl).c_str(),
                                            settings_.timeout, style);
    if (!soap_)
        throw easysoap::SOAPMemoryException();
}

void SoapProxyHandler::ReleaseConnection() {
    if (settings_.connectionCache) {
        easysoap::SOAPDebugger::Write(1, "Connection Cached\n");
        return;
    }
    if (soap_)
        easysoap::DeleteSOAPProxy(soap_);
    soap_ = nullptr;
    easysoap::SOAPDebugger::Write(1, "Connection Disconnected\n");
}

std::int32_t SoapProxyHandler::CallRemote(rt::RuntimeContext* context, rt::ObjectHandle proxy,
                                          const char16_t* alias, rt::CallFrame* frame) {
    bool insideExecute = false;
    CallFailure failure;
    bool failed = false;
    try {
        easysoap::XMLComposer::SetAddWhiteSpace(true);
        if (!soap_)
            OpenConnection(context, proxy);
        const AliasParts parts = SplitAlias(alias ? alias : u"");
        const std::string action = parts.action ? ToUtf8(*parts.action) : std::string();
        easysoap::SOAPMethod method(ToUtf8(parts.method).c_str(), ToUtf8(parts.ns).c_str(),
                                    parts.action ? action.c_str() : nullptr, false);
        method.SetSoapElementName(ToUtf8(parts.elementName), ToUtf8(parts.elementNs));
        BuildRequest(context, proxy, frame, parts.parameters, method);
        insideExecute = true;
        const easysoap::SOAPResponse& response = soap_->Execute(method);
        insideExecute = false;
        ReadResponse(context, proxy, frame, parts.parameters, response);
    } catch (...) {
        failure = ClassifyCurrentException();
        failed = true;
    }
    // Nothing may leave CallRemote: the runtime expects its result, never an exception.
    try {
        ReleaseConnection();
    } catch (...) {
    }
    if (failed) {
        try {
            RaiseSoapException(context, failure, insideExecute);
        } catch (...) {
        }
    }
    return 0;
}

} // namespace kf::soap
