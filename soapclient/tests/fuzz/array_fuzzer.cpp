// Received SOAP-encoded and literal arrays: any arrayType, offset and position texts and any
// children end in an array or a SOAP exception; never in a crash, a hang or a huge array.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"
#include "kf/kfruntime/exportsource.h"
#include "kf/kfruntime/runtime.h"
#include "kf/soap/marshal.h"

namespace {

using kf::easysoap::SOAPParameter;
using kf::easysoap::SOAPQName;

constexpr const char* kProxy = "$KFExportHeader$n_fproxy.srx\r\n"
                               "global type n_fproxy from nonvisualobject\r\n"
                               "end type\r\n"
                               "type variables\r\n"
                               "string xsd = \"http://www.w3.org/2001/XMLSchema\"\r\n"
                               "end variables\r\n";

std::string_view NextLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return line;
}

} // namespace

// Lines: arrayType ("-" for none), offset ("-" for none), then one child per line as
// position "|" text ("-" position for none, "~" text for nil). A first byte that is odd
// selects the literal form.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static kf::rt::Runtime runtime;
    static const kf::rt::ObjectHandle proxy = [] {
        runtime.AddClass(kf::rt::ParseExportSource(kProxy, "fuzz"));
        return runtime.CreateProxyObject(runtime.LookupClass(
            runtime.LookupGroup(u"n_fproxy", kf::rt::GroupKind::Proxy), u"n_fproxy"));
    }();
    if (size == 0)
        return 0;
    const bool literal = (data[0] & 1) != 0;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    SOAPParameter element("a");
    const std::string_view arrayType = NextLine(text), offset = NextLine(text);
    if (arrayType != "-")
        element.AddAttribute(SOAPQName("arrayType", kf::easysoap::kSoapEncNs)).Set(arrayType);
    if (offset != "-")
        element.AddAttribute(SOAPQName("offset", kf::easysoap::kSoapEncNs)).Set(offset);
    while (!text.empty()) {
        const std::string_view line = NextLine(text);
        const std::size_t bar = line.find('|');
        const std::string_view position = line.substr(0, bar);
        const std::string_view value =
            bar == std::string_view::npos ? std::string_view() : line.substr(bar + 1);
        SOAPParameter& child = element.AddParameter("item");
        if (position != "-")
            child.AddAttribute(SOAPQName("position", kf::easysoap::kSoapEncNs)).Set(position);
        if (value == "~")
            child.SetNull(true);
        else
            child.SetValue(value);
    }
    kf::rt::Runtime::Scope scope(runtime);
    kf::soap::ValueSlot slot;
    slot.isArray = true;
    slot.type = kf::rt::ValueType::Any;
    kf::soap::MarshalContext context{
        element,
        &runtime,
        proxy,
        u"xsd:string",
        slot,
        literal ? kf::soap::ElementForm::LiteralArray : kf::soap::ElementForm::SoapEncodedArray};
    try {
        kf::soap::DecodeValue(context);
    } catch (const kf::easysoap::SOAPException&) {
    }
    return 0;
}
