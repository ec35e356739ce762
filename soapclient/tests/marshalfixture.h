// A runtime with a proxy class and structure classes for marshalling tests, and small
// helpers to build script arrays and read them back.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "kf/easysoap/soapparameter.h"
#include "kf/kfruntime/exportsource.h"
#include "kf/kfruntime/runtime.h"
#include "kf/soap/marshal.h"
#include "kf/soap/text.h"

namespace kf::soap::test {

inline constexpr const char* kProxySource =
    "$KFExportHeader$n_mproxy.srx\r\n"
    "global type n_mproxy from nonvisualobject\r\n"
    "end type\r\n"
    "type variables\r\n"
    "string xsd = \"http://www.w3.org/2001/XMLSchema\"\r\n"
    "string tns = \"urn:types\"\r\n"
    "string kf__targetnamespace = \"urn:target\"\r\n"
    "string __tns__point = \"tns:Point(xsd:string label, xsd:string type, tns:Inner inner, "
    "xsd:string[] tags)@tns\"\r\n"
    "string __tns__inner = \"tns:Inner(xsd:string note)@tns\"\r\n"
    "string __tns__nofields = \"tns:NoFields(xsd:string gone)@tns\"\r\n"
    "end variables\r\n";

// The schema's target namespace comes before the service's.
inline constexpr const char* kSchemaProxySource =
    "$KFExportHeader$n_sproxy.srx\r\n"
    "global type n_sproxy from nonvisualobject\r\n"
    "end type\r\n"
    "type variables\r\n"
    "string xsd = \"http://www.w3.org/2001/XMLSchema\"\r\n"
    "string kf__schematargetnamespace = \"urn:schema\"\r\n"
    "string kf__targetnamespace = \"urn:target\"\r\n"
    "end variables\r\n";

inline constexpr const char* kBareProxySource =
    "$KFExportHeader$n_bproxy.srx\r\n"
    "global type n_bproxy from nonvisualobject\r\n"
    "end type\r\n"
    "type variables\r\n"
    "string xsd = \"http://www.w3.org/2001/XMLSchema\"\r\n"
    "end variables\r\n";

inline constexpr const char* kPointSource = "$KFExportHeader$tns__point.srs\r\n"
                                            "global type tns__point from structure\r\n"
                                            "string label\r\n"
                                            "string ws_type = \"unchanged\"\r\n"
                                            "tns__inner inner\r\n"
                                            "string tags[]\r\n"
                                            "end type\r\n";

inline constexpr const char* kInnerSource = "$KFExportHeader$tns__inner.srs\r\n"
                                            "global type tns__inner from structure\r\n"
                                            "string note\r\n"
                                            "end type\r\n";

inline constexpr const char* kNoFieldsSource = "$KFExportHeader$tns__nofields.srs\r\n"
                                               "global type tns__nofields from structure\r\n"
                                               "string other\r\n"
                                               "end type\r\n";

class MarshalTest : public ::testing::Test {
protected:
    MarshalTest() {
        for (const char* source : {kProxySource, kSchemaProxySource, kBareProxySource, kInnerSource,
                                   kPointSource, kNoFieldsSource}) {
            rt_.AddClass(rt::ParseExportSource(source, "fixture"));
        }
        proxy_ = NewProxy(u"n_mproxy");
    }

    rt::ObjectHandle NewProxy(const char16_t* name) {
        return rt_.CreateProxyObject(
            rt_.LookupClass(rt_.LookupGroup(name, rt::GroupKind::Proxy), name));
    }

    rt::ObjectHandle NewStructure(const char16_t* name) {
        return rt_.CreateScriptObject(
            rt_.LookupClass(rt_.LookupGroup(name, rt::GroupKind::Structure), name));
    }

    // Items as texts; nullopt makes a null item.
    rt::ArrayHandle Strings(const std::vector<std::optional<std::u16string>>& items) {
        const rt::ArrayHandle a = rt_.NewUnboundedArray(rt::ValueType::String);
        std::int32_t i = 1;
        for (const auto& item : items) {
            if (item)
                rt_.SetStringArrayItemText(a, &i, item->c_str());
            else
                rt_.SetArrayItemNull(a, &i);
            ++i;
        }
        return a;
    }

    // "null" for null items.
    std::vector<std::u16string> StringItems(rt::ArrayHandle a) {
        std::vector<std::u16string> items;
        const std::int32_t n = static_cast<std::int32_t>(rt_.GetArrayLength(a));
        for (std::int32_t i = 1; i <= n; ++i) {
            bool isNull = false;
            const rt::StringHandle s = rt_.GetStringArrayItem(a, &i, isNull);
            items.push_back(isNull ? u"null" : rt_.GetStringText(s));
        }
        return items;
    }

    static ValueSlot ArraySlot(rt::ArrayHandle a, rt::ValueType type, bool objects = false) {
        ValueSlot slot;
        slot.isArray = true;
        slot.isObject = objects;
        slot.type = type;
        slot.data.handle = a;
        return slot;
    }

    std::u16string Field(rt::ObjectHandle o, const char16_t* name) {
        bool isNull = false;
        const rt::FieldId f = rt_.GetFieldId(rt_.GetClass(o), name);
        const rt::StringHandle s = rt_.GetStringField(o, f, isNull);
        return isNull ? u"null" : rt_.GetStringText(s);
    }

    void SetField(rt::ObjectHandle o, const char16_t* name, const char16_t* text) {
        rt_.SetStringFieldText(o, rt_.GetFieldId(rt_.GetClass(o), name), text);
    }

    void Encode(easysoap::SOAPParameter& element, ValueSlot& slot, std::u16string type,
                ElementForm form = ElementForm::Single, std::u16string elementName = u"item",
                rt::ObjectHandle proxy = rt::kNoHandle) {
        MarshalContext c{element, &rt_, proxy ? proxy : proxy_, std::move(type),
                         slot,    form, std::move(elementName)};
        EncodeValue(c);
    }

    void Decode(easysoap::SOAPParameter& element, ValueSlot& slot, std::u16string type,
                ElementForm form = ElementForm::Single, std::u16string elementName = u"item") {
        MarshalContext c{
            element, &rt_, proxy_, std::move(type), slot, form, std::move(elementName)};
        DecodeValue(c);
    }

    // The exception's text, or "" when nothing was raised.
    template <class F> static std::string Failure(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            return e.what();
        }
        return {};
    }

    rt::Runtime rt_;
    rt::ObjectHandle proxy_ = rt::kNoHandle;
};

} // namespace kf::soap::test
