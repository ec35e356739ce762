#include "kf/soap/connection.h"

#include "kf/easysoap/soapdebugger.h"
#include "kf/soap/proxyhandler.h"
#include "kf/soap/runtimeaccess.h"
#include "kf/soap/text.h"

namespace kf::soap {

using easysoap::SOAPDebugger;
using Kind = OptionPair::Kind;

bool ApplyConnectionOption(ConnectionSettings& settings, const OptionPair& pair) {
    if (pair.key == u"soaplog") {
        if (pair.kind != Kind::Quoted)
            return false;
        SOAPDebugger::Close();
        if (const auto name = LogFileName(pair.value)) {
            SOAPDebugger::SetFile(name->c_str());
            SOAPDebugger::SetMessageLevel(1000);
        }
        return true;
    }
    if (pair.key == u"userid" || pair.key == u"password") {
        if (pair.kind != Kind::Quoted)
            return false;
        (pair.key == u"userid" ? settings.user : settings.password) = pair.value;
        return true;
    }
    if (pair.key == u"timeout") {
        if (pair.kind != Kind::Number)
            return false;
        long long value = 0;
        for (char16_t c : pair.value) {
            value = value * 10 + (c - u'0');
            if (value > 0x7FFFFFFF)
                return false; // too large for an int
        }
        settings.timeout = static_cast<int>(value);
        return true;
    }
    if (pair.key == u"connectioncache") {
        if (pair.kind != Kind::Word)
            return false;
        const std::u16string word = Lower(pair.value);
        if (word == u"true") {
            settings.connectionCache = true;
        } else if (word == u"false") {
            settings.connectionCache = false;
        } else {
            return false;
        }
        return true;
    }
    return false;
}

bool ParseProxyAddress(std::u16string_view address, ProxyServer& proxy) {
    proxy.protocol = u"http";
    proxy.port = u"80";
    proxy.host.clear();
    proxy.path.clear();
    std::u16string_view rest = address;
    const std::size_t colon = address.find(u':');
    if (colon != std::u16string_view::npos && address.substr(colon + 1, 2) == u"//") {
        const std::u16string_view scheme = address.substr(0, colon);
        if (scheme == u"http") {
            proxy.protocol = u"http";
            proxy.port = u"80";
        } else if (scheme == u"ftp") {
            proxy.protocol = u"ftp";
            proxy.port = u"21";
        } else if (scheme == u"https") {
            proxy.protocol = u"https";
            proxy.port = u"443";
        } else {
            proxy.protocol = u"http";
            proxy.port = u"80";
            return false;
        }
        rest = address.substr(colon + 3);
    }
    const std::size_t portColon = rest.find(u':');
    if (portColon != std::u16string_view::npos) {
        proxy.host = rest.substr(0, portColon);
        const std::u16string_view after = rest.substr(portColon + 1);
        const std::size_t slash = after.find(u'/');
        if (slash != std::u16string_view::npos) {
            proxy.port = after.substr(0, slash);
            proxy.path = after.substr(slash + 1);
        } else {
            proxy.port = after;
        }
        return true;
    }
    const std::size_t slash = rest.find(u'/');
    if (slash != std::u16string_view::npos) {
        proxy.host = rest.substr(0, slash);
        proxy.path = rest.substr(slash + 1);
    } else {
        proxy.host = rest;
    }
    return true;
}

bool ApplyProxyServerOption(ProxyServer& proxy, const OptionPair& pair) {
    if (pair.kind != Kind::Quoted)
        return false;
    if (pair.key == u"address")
        return ParseProxyAddress(pair.value, proxy);
    if (pair.key == u"userid") {
        proxy.user = pair.value;
        return true;
    }
    if (pair.key == u"password") {
        proxy.password = pair.value;
        return true;
    }
    return false;
}

std::u16string EndpointWithCredentials(std::u16string endpoint, bool fromPortName,
                                       std::u16string_view user, std::u16string_view password) {
    if (user.empty())
        return endpoint;
    std::u16string credentials(user);
    if (!password.empty())
        credentials += u":" + std::u16string(password);
    credentials += u"@";
    const std::size_t slashes = endpoint.find(u"//");
    // Without "//" there is no place for credentials; the endpoint goes out as written.
    if (slashes == std::u16string::npos)
        return endpoint;
    const std::size_t start = slashes + 2;
    const std::size_t at = endpoint.find(u'@');
    if (at == std::u16string::npos) {
        endpoint.insert(start, credentials);
    } else if (!fromPortName) {
        const std::size_t atAfter = endpoint.find(u'@', start);
        if (atAfter == std::u16string::npos) {
            endpoint.insert(start, credentials);
        } else {
            endpoint.replace(start, atAfter + 1 - start, credentials);
        }
    }
    return endpoint;
}

std::u16string ProxyServerUrl(const ProxyServer& proxy) {
    if (IsBlank(proxy.host))
        return {};
    std::u16string url = IsBlank(proxy.protocol) ? u"http" : proxy.protocol;
    url += u"://";
    if (!IsBlank(proxy.user)) {
        url += proxy.user;
        if (!proxy.password.empty())
            url += u":" + proxy.password;
        url += u"@";
    }
    url += proxy.host + u":" + (IsBlank(proxy.port) ? u"80" : proxy.port);
    if (!IsBlank(proxy.path))
        url += u"/" + proxy.path;
    return url;
}

std::int32_t SoapConnectionObject::SetOptions(std::u16string_view text) {
    return ParseOptions(text,
                        [this](const OptionPair& p) { return ApplyConnectionOption(settings_, p); })
               ? kOk
               : kOptionError;
}

std::int32_t SoapConnectionObject::SetProxyServerOptions(std::u16string_view text) {
    return ParseOptions(
               text,
               [this](const OptionPair& p) { return ApplyProxyServerOption(settings_.proxy, p); })
               ? kOk
               : kOptionError;
}

void SoapConnectionObject::CreateInstance(rt::RuntimeContext* context, rt::CallFrame* frame) {
    rt::ScriptValue* result = frame->GetReturnValue();
    auto finish = [&](std::int32_t code) {
        if (result)
            result->SetLong(code);
    };
    finish(kOk);
    const auto name = StringArgument(context, frame, 1);
    if (!name)
        return finish(kProxyClassNotFound);
    const std::u16string lower = Lower(*name);
    const rt::GroupHandle group = context->LookupGroup(lower.c_str(), rt::GroupKind::Proxy);
    const rt::ClassHandle cls =
        group == rt::kNoHandle ? rt::kNoHandle : context->LookupClass(group, lower.c_str());
    if (cls == rt::kNoHandle)
        return finish(kProxyClassNotFound);
    const rt::ObjectHandle proxy = context->CreateProxyObject(cls);
    if (proxy == rt::kNoHandle)
        return finish(kProxyObjectNotCreated);
    rt::ScriptValue* target = frame->GetArguments()->GetAt(0);
    if (target)
        target->SetObject(proxy);
    std::u16string port;
    if (frame->GetArguments()->GetCount() == 3)
        port = StringArgument(context, frame, 2).value_or(u"");
    // The runtime owns the handler from here on, and destroys one it cannot attach.
    context->AttachCallHandler(proxy, new SoapProxyHandler(lower, port, settings_));
}

std::int32_t SoapConnectionObject::InvokeMethod(rt::RuntimeContext* context, rt::ObjectHandle,
                                                rt::MethodId method, rt::CallFrame* frame) {
    if (!frame)
        return 0;
    // The connection functions report through their return values only; nothing may leave
    // the extension call.
    try {
        switch (method & 0xFFFF) {
        case 0: // generateproxy: nothing to do
            break;
        case 1:
        case 2:
            CreateInstance(context, frame);
            break;
        case 3:
        case 4:
            if (const auto text = StringArgument(context, frame, 0)) {
                const std::int32_t code =
                    (method & 0xFFFF) == 3 ? SetOptions(*text) : SetProxyServerOptions(*text);
                if (frame->GetReturnValue())
                    frame->GetReturnValue()->SetLong(code);
            }
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return 0;
}

} // namespace kf::soap
