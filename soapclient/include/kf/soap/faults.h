// soapexception: the script exception of failed proxy calls, and how a failure becomes one.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "kf/rt/runtimeext.h"

namespace kf::soap {

inline constexpr std::u16string_view kFaultCodeTags[2] = {u"<kfsp_fcode>", u"</kfsp_fcode>"};
inline constexpr std::u16string_view kFaultStringTags[2] = {u"<kfsp_fstring>", u"</kfsp_fstring>"};
inline constexpr std::u16string_view kFaultDetailTags[2] = {u"<kfsp_fdetailmessage>",
                                                            u"</kfsp_fdetailmessage>"};

// The text between the first opening and the first closing tag; the whole text when either
// is missing (or the closing one comes first).
std::u16string TaggedSection(std::u16string_view text, std::u16string_view open,
                             std::u16string_view close);

class SoapExceptionObject : public rt::NativeObject {
public:
    std::int32_t InvokeMethod(rt::RuntimeContext* context, rt::ObjectHandle object,
                              rt::MethodId method, rt::CallFrame* frame) override;
    void DestroyObject() override { delete this; }
    const std::u16string& Details() const { return details_; }

private:
    std::u16string details_;
};

// What a caught failure leaves: the exception's short text and, for SOAP faults, the
// fault text with its tagged sections. Both UTF-8.
struct CallFailure {
    std::string text;
    std::string faultText;
};

// Classifies the exception being handled (call inside a catch block).
CallFailure ClassifyCurrentException();

// Creates the script soapexception, fills it and raises it. Details are set only for
// failures inside the SOAP exchange itself. Nothing is reported when the runtime cannot
// create the object.
void RaiseSoapException(rt::RuntimeContext* context, const CallFailure& failure,
                        bool insideExecute);

} // namespace kf::soap
