#include "kf/soap/faults.h"

#include "kf/easysoap/soapexception.h"
#include "kf/soap/aliasscanner.h"
#include "kf/soap/runtimeaccess.h"
#include "kf/soap/text.h"

namespace kf::soap {

std::u16string TaggedSection(std::u16string_view text, std::u16string_view open,
                             std::u16string_view close) {
    const std::size_t start = text.find(open);
    const std::size_t end = text.find(close);
    if (start == std::u16string_view::npos || end == std::u16string_view::npos ||
        end < start + open.size()) {
        return std::u16string(text);
    }
    return std::u16string(text.substr(start + open.size(), end - start - open.size()));
}

std::int32_t SoapExceptionObject::InvokeMethod(rt::RuntimeContext* context, rt::ObjectHandle,
                                               rt::MethodId method, rt::CallFrame* frame) {
    if (!frame)
        return 0;
    rt::ScriptValue* result = frame->GetReturnValue();
    auto answer = [&](const std::u16string_view(&tags)[2]) {
        if (result)
            result->SetStringText(TaggedSection(details_, tags[0], tags[1]).c_str());
    };
    try {
        switch (method & 0xFFFF) {
        case 0:
            answer(kFaultCodeTags);
            break;
        case 1:
            answer(kFaultStringTags);
            break;
        case 2:
            answer(kFaultDetailTags);
            break;
        case 3:
            if (const auto details = StringArgument(context, frame, 0)) {
                details_ = *details;
                if (result)
                    result->SetLong(0);
            }
            break;
        default:
            break;
        }
    } catch (...) { // out of memory: nothing may leave the extension call
    }
    return 0;
}

CallFailure ClassifyCurrentException() {
    CallFailure failure;
    try {
        throw;
    } catch (const easysoap::SOAPFaultException& e) {
        failure.faultText = e.what();
        const std::u16string fault = FromUtf8(failure.faultText);
        failure.text = ToUtf8(TaggedSection(fault, kFaultStringTags[0], kFaultStringTags[1]));
    } catch (const easysoap::SOAPException& e) { // socket, memory and our own conversions too
        failure.text = e.what();
    } catch (const SoapScannerException&) {
        failure.text = "Unexpected end of alias string in the proxy";
    } catch (...) {
        failure.text = "Unknown error, problem with SoapClient";
    }
    return failure;
}

void RaiseSoapException(rt::RuntimeContext* context, const CallFailure& failure,
                        bool insideExecute) {
    const rt::GroupHandle group = context->LookupGroup(u"soapexception", rt::GroupKind::Exception);
    if (group == rt::kNoHandle)
        return;
    const rt::ClassHandle cls = context->LookupClass(group, u"soapexception");
    if (cls == rt::kNoHandle)
        return;
    const rt::ObjectHandle error = context->CreateScriptObject(cls);
    if (error == rt::kNoHandle)
        return;
    const rt::FieldId text = context->GetFieldId(cls, u"text");
    if (text != rt::kNoField) {
        context->SetStringFieldText(error, text, FromUtf8(failure.text).c_str());
    }
    if (insideExecute && !failure.faultText.empty()) {
        const rt::MethodId setDetails = context->GetMethodId(cls, u"setdetails", 0, u"", false);
        rt::CallFrame* frame = nullptr;
        if (setDetails != rt::kNoMethod &&
            context->PrepareCallFrame(cls, setDetails, &frame) == rt::Status::Ok && frame) {
            rt::ScriptValue* arg =
                frame->GetArguments() ? frame->GetArguments()->GetAt(0) : nullptr;
            if (arg && !arg->IsNull())
                arg->SetStringText(FromUtf8(failure.faultText).c_str());
            context->CallObjectFunction(error, setDetails, frame);
            context->ReleaseCallFrame(frame);
        }
    }
    context->RaiseScriptException(error);
}

} // namespace kf::soap
