#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"
#include "kf/soap/xmltypes.h"
#include "marshalfixture.h"

namespace kf::soap::test {
namespace {

using rt::ValueType;

// Prefixes for every namespace text of both groups, and derived simple types.
constexpr const char* kTypesProxy =
    "$KFExportHeader$n_tproxy.srx\r\n"
    "global type n_tproxy from nonvisualobject\r\n"
    "end type\r\n"
    "type variables\r\n"
    "string xsd = \"http://www.w3.org/2001/XMLSchema\"\r\n"
    "string xsd2 = \"http://www.w3.org/2001/XMLSchema/\"\r\n"
    "string old = \"http://www.w3.org/1999/XMLSchema\"\r\n"
    "string old2 = \"http://www.w3.org/1999/XMLSchema/\"\r\n"
    "string enc = \"http://schemas.xmlsoap.org/soap/encoding/\"\r\n"
    "string enc2 = \"http://schemas.xmlsoap.org/soap/encoding\"\r\n"
    "string other = \"http://www.w3.org/2001/XMLSchema-instance\"\r\n"
    "string tns = \"urn:types\"\r\n"
    "string __tns__code = \"tns:Code(base=xsd:int,maxLength=4)@tns\"\r\n"
    "string __tns__label = \"base=tns:code\"\r\n"
    "string __tns__nobase = \"base=,x\"\r\n"
    "string __tns__loop = \"base=tns:loop\"\r\n"
    "string __flag__flag = \"base=xsd:boolean\"\r\n"
    "end variables\r\n";

class XmlTypes : public MarshalTest {
protected:
    XmlTypes() {
        rt_.AddClass(rt::ParseExportSource(kTypesProxy, "fixture"));
        types_ = NewProxy(u"n_tproxy");
    }

    // Text of the element the slot encodes to; checks the xsi:type it carries.
    std::string Encode(ValueSlot slot, const std::u16string& type) {
        easysoap::SOAPParameter e("v");
        const RowMatch match = LookupRow(&rt_, types_, type, slot.type);
        MarshalContext c{e, &rt_, types_, type, slot};
        EncodeScalar(c, match);
        const auto* xsiType = e.GetAttribute({"type", easysoap::kXsiNs});
        EXPECT_NE(xsiType, nullptr);
        if (xsiType) {
            EXPECT_EQ(xsiType->name, ToUtf8(match.row->localName));
            EXPECT_EQ(xsiType->ns, ToUtf8(match.ns));
        }
        return e.GetString();
    }

    ValueSlot Decode(std::string_view text, const std::u16string& type, ValueType slotType) {
        easysoap::SOAPParameter e("v");
        e.SetValue(text);
        ValueSlot slot;
        slot.type = slotType;
        MarshalContext c{e, &rt_, types_, type, slot};
        DecodeScalar(c, *LookupRow(&rt_, types_, type, slotType).row);
        return slot;
    }

    ValueSlot Slot(ValueType type, std::function<void(ValueSlot::Data&)> set) {
        ValueSlot s;
        s.type = type;
        set(s.data);
        return s;
    }
    ValueSlot Handle(ValueType type, rt::Handle h) {
        return Slot(type, [h](ValueSlot::Data& d) { d.handle = h; });
    }
    rt::DecimalHandle Decimal(const char16_t* text) {
        const rt::DecimalHandle d = rt_.NewDecimal();
        rt_.SetDecimalText(d, text);
        return d;
    }
    rt::DateHandle Date(int y, int m, int d) {
        const rt::DateHandle h = rt_.NewDate();
        rt_.SetDateValue(h, y, m, d);
        return h;
    }
    rt::TimeHandle Time(int h, int m, double s) {
        const rt::TimeHandle t = rt_.NewTime();
        rt_.SetTimeValue(t, h, m, s);
        return t;
    }
    rt::DateTimeHandle DateTime(int y, int mo, int d, int h, int mi, double s) {
        const rt::DateTimeHandle t = rt_.NewDateTime();
        rt_.SetDateTimeValue(t, y, mo, d, h, mi, s);
        return t;
    }
    rt::BlobHandle Blob(std::string_view bytes) {
        return rt_.NewBlob(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }

    rt::ObjectHandle types_ = rt::kNoHandle;
};

// Every row: the text a value is sent as, and the same value read back from that text.
TEST_F(XmlTypes, EveryRowSendsItsTextAndReadsItBack) {
    struct Case {
        std::u16string type;
        ValueSlot slot;
        std::string text;
    };
    const Case cases[] = {
        {u"xsd:boolean", Slot(ValueType::Boolean, [](auto& d) { d.boolean = true; }), "true"},
        {u"xsd:unsignedByte", Slot(ValueType::UInt, [](auto& d) { d.uint16 = 255; }), "255"},
        {u"xsd:byte", Slot(ValueType::Int, [](auto& d) { d.int16 = -128; }), "-128"},
        {u"xsd:short", Slot(ValueType::Int, [](auto& d) { d.int16 = -32768; }), "-32768"},
        {u"xsd:unsignedShort", Slot(ValueType::UInt, [](auto& d) { d.uint16 = 65535; }), "65535"},
        {u"xsd:integer",
         Slot(ValueType::LongLong,
              [](auto& d) { d.int64 = std::numeric_limits<std::int64_t>::min(); }),
         "-9223372036854775808"},
        {u"xsd:int", Slot(ValueType::Long, [](auto& d) { d.int32 = -2147483647 - 1; }),
         "-2147483648"},
        {u"xsd:unsignedInt", Slot(ValueType::ULong, [](auto& d) { d.uint32 = 4294967295u; }),
         "4294967295"},
        {u"xsd:long", Slot(ValueType::LongLong, [](auto& d) { d.int64 = 0; }), "0"},
        {u"xsd:unsignedLong",
         Slot(ValueType::LongLong,
              [](auto& d) { d.int64 = std::numeric_limits<std::int64_t>::max(); }),
         "9223372036854775807"},
        {u"xsd:float", Slot(ValueType::Real, [](auto& d) { d.real = 0.1f; }), "0.100000001"},
        {u"xsd:double", Slot(ValueType::Double, [](auto& d) { d.dbl = -0x1p-30; }),
         "-9.31322574615478516E-10"},
        {u"xsd:decimal", Handle(ValueType::Decimal, Decimal(u"-12.50")), "-12.50"},
        {u"xsd:string", Handle(ValueType::String, rt_.NewString(u"Gr\u00FC\u00DFe")),
         "Gr\xC3\xBC\xC3\x9F"
         "e"},
        {u"xsd:date", Handle(ValueType::Date, Date(999, 1, 2)), " 999-01-02"},
        {u"xsd:time", Handle(ValueType::Time, Time(7, 8, 9.5)), "07:08:09.500"},
        {u"xsd:dateTime", Handle(ValueType::DateTime, DateTime(999, 12, 31, 23, 59, 1.25)),
         "0999-12-31T23:59:01.250"},
        {u"enc:base64", Handle(ValueType::Blob, Blob(std::string_view("\0\xFFz", 3))), "AP96"},
        {u"xsd:base64Binary", Handle(ValueType::Blob, Blob("abcd")), "YWJjZA=="},
        {u"xsd:hexBinary", Handle(ValueType::Blob, Blob(std::string_view("\x01\xAB\0", 3))),
         "01AB00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.type));
        EXPECT_EQ(Encode(c.slot, c.type), c.text);
        const ValueSlot back = Decode(c.text, c.type, c.slot.type);
        EXPECT_EQ(back.type, c.slot.type);
        EXPECT_FALSE(back.isNull);
        EXPECT_EQ(Encode(back, c.type), c.text);
    }
    // No value to carry: sent empty, received text ignored.
    ValueSlot duration = Slot(ValueType::Double, [](auto& d) { d.dbl = 3.5; });
    EXPECT_EQ(Encode(duration, u"xsd:duration"), "");
    EXPECT_EQ(Decode("P1D", u"xsd:duration", ValueType::Double).type, ValueType::Double);
    EXPECT_EQ(Encode(ValueSlot{}, u"xsd:timeInstant"), "");
    EXPECT_EQ(Decode("2001-01-01", u"xsd:timeInstant", ValueType::None).type, ValueType::None);
}

TEST_F(XmlTypes, ReceivedTextsAndTheirLimits) {
    struct Case {
        std::u16string type;
        ValueType slotType;
        std::string received;
        std::string expected; // re-encoded value, or the failure's message
    };
    const Case cases[] = {
        {u"xsd:boolean", ValueType::Boolean, "TRUE", "true"},
        {u"xsd:boolean", ValueType::Boolean, "0", "false"},
        {u"xsd:boolean", ValueType::Boolean, "yes", "can't convert a number to boolean"},
        {u"xsd:unsignedByte", ValueType::UInt, "256", "Value exceeds XML unsignedByte"},
        {u"xsd:unsignedByte", ValueType::UInt, "-1", "Value exceeds XML unsignedByte"},
        {u"xsd:byte", ValueType::Int, "-129", "Value exceeds XML byte"},
        {u"xsd:byte", ValueType::Int, "128", "Value exceeds XML byte"},
        {u"xsd:short", ValueType::Int, "32768", "Value exceeds XML short"},
        {u"xsd:unsignedShort", ValueType::UInt, "65536", "Value exceeds XML unsignedShort"},
        {u"xsd:integer", ValueType::LongLong, "9223372036854775808",
         "Can't handle XML integer which >9223372036854775807 or <-9223372036854775808"},
        {u"xsd:int", ValueType::Long, "007", "7"},
        {u"xsd:int", ValueType::Long, " +7.000 ", "7"},
        {u"xsd:int", ValueType::Long, "7.5", "Not a integer"},
        {u"xsd:int", ValueType::Long, "7e1", "Invalid number format: 7e1"},
        {u"xsd:int", ValueType::Long, "", "Invalid number format: "},
        {u"xsd:int", ValueType::Long, "2147483648", "Value exceeds XML int"},
        {u"xsd:unsignedInt", ValueType::ULong, "4294967296", "Value exceeds XML unsigned int"},
        {u"xsd:unsignedInt", ValueType::ULong, "-1", "Value exceeds XML unsigned int"},
        {u"xsd:long", ValueType::LongLong, "-9223372036854775809", "Value exceeds XML long"},
        {u"xsd:unsignedLong", ValueType::LongLong, "9223372036854775808",
         "Can't handle XML unsignedLong > 9223372036854775807"},
        {u"xsd:unsignedLong", ValueType::LongLong, "-1",
         "Can't handle XML unsignedLong > 9223372036854775807"},
        {u"xsd:float", ValueType::Real, "inf", "INF"},
        {u"xsd:float", ValueType::Real, "NaN", "0"},
        {u"xsd:float", ValueType::Real, "1e39", "Floating-point overflow: 1e39"},
        {u"xsd:double", ValueType::Double, "inf", "Floating-point overflow: inf"},
        {u"xsd:double", ValueType::Double, "nan", "0"},
        {u"xsd:double", ValueType::Double, "1x",
         "Could not convert string to floating point: '1x'"},
        {u"xsd:double", ValueType::Double, "1e999", "Double floating-point overflow: 1e999"},
        {u"xsd:decimal", ValueType::Decimal, " 0012.3400 ", "12.3400"},
        {u"xsd:decimal", ValueType::Decimal, "999999999999999999.9",
         "Can't handle XML decimal >999999999999999999 or <-999999999999999999"},
        {u"xsd:decimal", ValueType::Decimal, "-1000000000000000000",
         "Can't handle XML decimal >999999999999999999 or <-999999999999999999"},
        {u"xsd:decimal", ValueType::Decimal, "1.2.3", "Invalid number format: 1.2.3"},
        {u"xsd:string", ValueType::String, "\xC3", "Can't convert UTF8 to UCS"},
        {u"xsd:date", ValueType::Date, "2024-02-30", "Invalid date format: 2024-02-30"},
        {u"xsd:date", ValueType::Date, "2024-02", "Invalid date format: 2024-02"},
        {u"xsd:time", ValueType::Time, "25:00:00", "Invalid time format: 25:00:00"},
        {u"xsd:dateTime", ValueType::DateTime, "2024-02-29T10:11:12Z", "2024-02-29T10:11:12.000"},
        {u"xsd:dateTime", ValueType::DateTime, "2024-02-29", "Invalid dateTime format: 2024-02-29"},
        {u"xsd:hexBinary", ValueType::Blob, "0", "Invalid hex text: odd number of digits"},
        {u"xsd:base64Binary", ValueType::Blob, "YW=x", "Invalid base64 text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.type) + " " + c.received);
        std::string got;
        try {
            got = Encode(Decode(c.received, c.type, c.slotType), c.type);
        } catch (const easysoap::SOAPException& e) {
            got = e.what();
        }
        EXPECT_EQ(got, c.expected);
    }
}

TEST_F(XmlTypes, SentValuesOutsideTheRowFail) {
    EXPECT_EQ(
        Failure([&] { Encode(Slot(ValueType::Int, [](auto& d) { d.int16 = 300; }), u"xsd:byte"); }),
        "Value exceeds XML byte");
    EXPECT_EQ(Failure([&] {
                  Encode(Slot(ValueType::Int, [](auto& d) { d.int16 = -129; }), u"xsd:byte");
              }),
              "Value exceeds XML byte");
    EXPECT_EQ(Failure([&] {
                  Encode(Slot(ValueType::UInt, [](auto& d) { d.uint16 = 256; }),
                         u"xsd:unsignedByte");
              }),
              "Value exceeds XML unsignedByte");
    EXPECT_EQ(Failure([&] {
                  Encode(Slot(ValueType::LongLong, [](auto& d) { d.int64 = -1; }),
                         u"xsd:unsignedLong");
              }),
              "XML unsigned long can't < 0");
    EXPECT_EQ(Encode(Slot(ValueType::Double, [](auto& d) { d.dbl = std::nan(""); }), u"xsd:double"),
              "NaN");
    EXPECT_EQ(Encode(Slot(ValueType::Real,
                          [](auto& d) { d.real = -std::numeric_limits<float>::infinity(); }),
                     u"xsd:float"),
              "-INF");
}

TEST_F(XmlTypes, NullsAreNilElementsWithoutType) {
    easysoap::SOAPParameter e("v");
    ValueSlot slot;
    slot.type = ValueType::Long;
    slot.isNull = true;
    MarshalContext c{e, &rt_, types_, u"xsd:int", slot};
    EncodeScalar(c, LookupRow(&rt_, types_, u"xsd:int", ValueType::Long));
    EXPECT_TRUE(e.IsNull());
    EXPECT_TRUE(e.GetAttributes().empty());

    easysoap::SOAPParameter nil("v");
    nil.SetNull(true);
    ValueSlot back;
    back.type = ValueType::Long;
    MarshalContext d{nil, &rt_, types_, u"xsd:int", back};
    DecodeScalar(d, *LookupRow(&rt_, types_, u"xsd:int", ValueType::Long).row);
    EXPECT_TRUE(back.isNull);
}

TEST_F(XmlTypes, LookupByNamespaceGroupPrefixAndBase) {
    for (const char16_t* name : {u"xsd:int", u"xsd2:int", u"old:int", u"old2:int", u"XSD:int"})
        EXPECT_EQ(LookupRow(&rt_, types_, name, ValueType::Long).row->localName, u"int")
            << ToUtf8(name);
    EXPECT_EQ(LookupRow(&rt_, types_, u"enc2:base64", ValueType::Blob).row->localName, u"base64");
    const auto unmapped = [&](const char16_t* name, ValueType type) {
        return Failure([&] { LookupRow(&rt_, types_, name, type); });
    };
    // Wrong group, unknown prefix, no prefix, case of the local name, script type.
    EXPECT_EQ(unmapped(u"enc:int", ValueType::Long), "Can't map the XML data type: enc:int");
    EXPECT_EQ(unmapped(u"xsd:base64", ValueType::Blob), "Can't map the XML data type: xsd:base64");
    EXPECT_EQ(unmapped(u"other:int", ValueType::Long), "Can't map the XML data type: other:int");
    EXPECT_EQ(unmapped(u"nope:int", ValueType::Long), "Can't map the XML data type: nope:int");
    EXPECT_EQ(unmapped(u"int", ValueType::Long), "Can't map the XML data type: int");
    EXPECT_EQ(unmapped(u"xsd:Int", ValueType::Long), "Can't map the XML data type: xsd:Int");
    EXPECT_EQ(unmapped(u"xsd:int", ValueType::Int), "Can't map the XML data type: xsd:int");
    // Derived simple types: through "base=", also in steps; the xsi:type is the base row's.
    const RowMatch code = LookupRow(&rt_, types_, u"TNS:code", ValueType::Long);
    EXPECT_EQ(code.row->localName, u"int");
    EXPECT_EQ(code.ns, u"http://www.w3.org/2001/XMLSchema");
    EXPECT_EQ(LookupRow(&rt_, types_, u"tns:label", ValueType::Long).row->localName, u"int");
    EXPECT_EQ(LookupRow(&rt_, types_, u"flag", ValueType::Boolean).row->localName, u"boolean");
    EXPECT_EQ(Encode(Slot(ValueType::Long, [](auto& d) { d.int32 = 42; }), u"tns:code"), "42");
    EXPECT_EQ(unmapped(u"tns:code", ValueType::String), "Can't map the XML data type: tns:code");
    EXPECT_EQ(unmapped(u"tns:nobase", ValueType::Long), "Can't map the XML data type: tns:nobase");
    EXPECT_EQ(unmapped(u"tns:loop", ValueType::Long), "Can't map the XML data type: tns:loop");
    EXPECT_EQ(FindRowByName(&rt_, types_, u"tns:label")->localName, u"int");
    EXPECT_EQ(FindRowByName(&rt_, types_, u"xsd:double")->localName, u"double");
    EXPECT_EQ(FindRowByName(&rt_, types_, u"tns:point"), nullptr);
}

} // namespace
} // namespace kf::soap::test
