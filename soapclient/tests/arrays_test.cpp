// Arrays of scalars in both element forms, against the runtime stand-in.
#include "kf/easysoap/xmlcomposer.h"
#include "kf/soap/arrays.h"
#include "kf/soap/messages.h"
#include "marshalfixture.h"

namespace kf::soap {
namespace {

using easysoap::kSoapEncNs;
using easysoap::kXsiNs;
using easysoap::SOAPParameter;
using easysoap::SOAPQName;
using test::MarshalTest;

constexpr const char* kXsd = "http://www.w3.org/2001/XMLSchema";
using Arrays = MarshalTest;

const SOAPQName* Attr(const SOAPParameter& p, const char* name, const char* ns) {
    return p.GetAttribute(SOAPQName(name, ns));
}

TEST_F(Arrays, SoapEncodedEncodeTypesTheArrayNotItsItems) {
    SOAPParameter element("names");
    ValueSlot slot = ArraySlot(Strings({u"a", std::nullopt, u"c"}), rt::ValueType::String);
    Encode(element, slot, u"xsd:string", ElementForm::SoapEncodedArray, u"tns:entry");
    ASSERT_TRUE(Attr(element, "type", kXsiNs));
    EXPECT_EQ(*Attr(element, "type", kXsiNs), SOAPQName("Array", kSoapEncNs));
    EXPECT_EQ(*Attr(element, "arrayType", kSoapEncNs), SOAPQName("string[3]", kXsd));
    EXPECT_TRUE(element.IsStruct());
    const auto& items = element.GetArray();
    ASSERT_EQ(items.size(), 3u);
    for (const auto& item : items) {
        EXPECT_EQ(item->GetName(), SOAPQName("entry")) << "local name, no namespace";
        EXPECT_TRUE(item->GetAttributes().empty());
    }
    EXPECT_EQ(items[0]->GetString(), "a");
    EXPECT_TRUE(items[1]->IsNull());
    EXPECT_EQ(items[2]->GetString(), "c");

    // A null array is an empty one.
    SOAPParameter empty("names");
    ValueSlot none;
    none.isArray = true;
    none.isNull = true;
    none.type = rt::ValueType::String;
    Encode(empty, none, u"xsd:string", ElementForm::SoapEncodedArray);
    EXPECT_EQ(*Attr(empty, "arrayType", kSoapEncNs), SOAPQName("string[0]", kXsd));
    EXPECT_TRUE(empty.GetArray().empty());
}

TEST_F(Arrays, LiteralEncodeSendsTypedItemsInTheElementNamespace) {
    struct Case {
        const char16_t* proxy;
        const char16_t* elementName;
        const char* local;
        const char* ns;
    } cases[] = {
        {u"n_mproxy", u"item", "item", "urn:target"},
        {u"n_sproxy", u"item", "item", "urn:schema"},
        {u"n_bproxy", u"item", "item", ""},
        {u"n_mproxy", u"tns:entry", "entry", "urn:types"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.proxy) + " " + ToUtf8(c.elementName));
        SOAPParameter element("names");
        ValueSlot slot = ArraySlot(Strings({u"x", u"y", std::nullopt}), rt::ValueType::String);
        Encode(element, slot, u"xsd:string", ElementForm::LiteralArray, c.elementName,
               NewProxy(c.proxy));
        const auto& items = element.GetArray();
        ASSERT_EQ(items.size(), 3u);
        for (const auto& item : items)
            EXPECT_EQ(item->GetName(), SOAPQName(c.local, c.ns));
        EXPECT_EQ(items[0]->GetString(), "x");
        EXPECT_EQ(*Attr(*items[1], "type", kXsiNs), SOAPQName("string", kXsd));
        EXPECT_TRUE(items[2]->IsNull());
        EXPECT_FALSE(Attr(*items[2], "type", kXsiNs)) << "a null item is nil, untyped";
        EXPECT_FALSE(Attr(element, "arrayType", kSoapEncNs));
    }
}

TEST_F(Arrays, BoundedArraysAreRefused) {
    const rt::ArrayBound bound{1, 2};
    for (ElementForm form : {ElementForm::SoapEncodedArray, ElementForm::LiteralArray}) {
        ValueSlot slot =
            ArraySlot(rt_.NewBoundedArray(rt::ValueType::String, 1, &bound), rt::ValueType::String);
        const std::size_t live = rt_.LiveHandleCount();
        {
            rt::Runtime::Scope call(rt_); // as for an extension call
            SOAPParameter element("names");
            EXPECT_EQ(Failure([&] { Encode(element, slot, u"xsd:string", form); }),
                      "SoapClient Error: Can't support Bounded array");
            EXPECT_EQ(Failure([&] { Decode(element, slot, u"xsd:string", form); }),
                      "SoapClient Error: Can't support Bounded array");
        }
        EXPECT_EQ(rt_.LiveHandleCount(), live) << "array infos released";
    }
}

// A received SOAP-encoded array: child texts (nullopt: nil child) with optional positions.
struct Child {
    std::optional<std::string> text;
    const char* position = nullptr;
};

SOAPParameter EncodedArray(const char* arrayType, const char* offset,
                           const std::vector<Child>& children, bool nil = false) {
    SOAPParameter p("names");
    if (arrayType)
        p.AddAttribute(SOAPQName("arrayType", kSoapEncNs)).Set(arrayType, kXsd);
    if (offset)
        p.AddAttribute(SOAPQName("offset", kSoapEncNs)).Set(offset);
    if (nil)
        p.AddAttribute(SOAPQName("nil", kXsiNs)).Set("true");
    for (const Child& c : children) {
        SOAPParameter& item = p.AddParameter("item");
        if (c.position)
            item.AddAttribute(SOAPQName("position", kSoapEncNs)).Set(c.position);
        if (c.text)
            item.SetValue(*c.text);
        else
            item.SetNull(true);
    }
    return p;
}

TEST_F(Arrays, SoapEncodedDecode) {
    struct Case {
        const char* name;
        SOAPParameter element;
        std::vector<std::u16string> items; // when no failure
        std::string failure;
    };
    const Case cases[] = {
        {"offset leaves gaps",
         EncodedArray("string[5]", "[2]", {{"a"}, {"b"}}),
         {u"", u"", u"a", u"b", u""},
         ""},
        {"no arrayType",
         EncodedArray(nullptr, nullptr, {{"a"}, {std::nullopt}}),
         {u"a", u"null"},
         ""},
        {"empty brackets", EncodedArray("string[]", nullptr, {{"a"}, {"b"}}), {u"a", u"b"}, ""},
        {"last brackets count",
         EncodedArray("string[][3]", nullptr, {{"a"}}),
         {u"a", u"", u""},
         ""},
        {"positions",
         EncodedArray("string[4]", nullptr, {{"a", "[1]"}, {"b"}, {"c", "[3]"}}),
         {u"", u"a", u"b", u"c"},
         ""},
        {"nil without children", EncodedArray("string[2]", nullptr, {}, true), {}, ""},
        {"nil with children",
         EncodedArray("string[1]", nullptr, {{"a"}}, true),
         {},
         "Got xsi:nil attribute on array but parameter has values.."},
        {"position going back",
         EncodedArray("string[5]", nullptr, {{"a", "[3]"}, {"b", "[1]"}}),
         {},
         "Error decoding array, position attribute cannot point to a previous element. Current "
         "position: [4], next position: [1]"},
        {"position out of range",
         EncodedArray("string[2]", nullptr, {{"a", "[2]"}}),
         {},
         "Error decoding array, position out of range. Current size: [2], requested position: "
         "[2]"},
        {"offset past the size",
         EncodedArray("string[2]", "[1]", {{"a"}, {"b"}}),
         {},
         "Error decoding array, position out of range. Current size: [2], requested position: "
         "[2]"},
        {"too many values",
         EncodedArray("string[1]", nullptr, {{"a"}, {"b"}}),
         {},
         "Error de-serializing array.  Too many values in array.  Array specified 1, found 2."},
        {"bad arrayType",
         EncodedArray("string[x]", nullptr, {{"a"}}),
         {},
         "Invalid value for array encoding tag 'arrayType': string[x]"},
        {"bad offset",
         EncodedArray("string[2]", "2", {{"a"}}),
         {},
         "Invalid value for array encoding tag 'offset': 2"},
        {"absurd size",
         EncodedArray("string[2000000000]", nullptr, {{"a"}}),
         {},
         "Invalid value for array encoding tag 'arrayType': string[2000000000]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SOAPParameter element = c.element;
        // An in-out array longer than the answer: nothing of it may remain.
        ValueSlot slot = ArraySlot(Strings({u"old1", u"old2", u"old3", u"old4", u"old5", u"old6"}),
                                   rt::ValueType::String);
        const std::string failure =
            Failure([&] { Decode(element, slot, u"xsd:string", ElementForm::SoapEncodedArray); });
        EXPECT_EQ(failure, c.failure);
        if (c.failure.empty()) {
            EXPECT_TRUE(slot.isArray);
            EXPECT_EQ(StringItems(slot.data.handle), c.items);
        }
    }
}

TEST_F(Arrays, IntegerGapsAreNotNumbers) {
    if (!FindRowByName(&rt_, proxy_, u"xsd:int"))
        GTEST_SKIP() << "no int row in this build";
    SOAPParameter element = EncodedArray("int[5]", "[2]", {{"3"}, {"4"}});
    ValueSlot slot = ArraySlot(rt_.NewUnboundedArray(rt::ValueType::Long), rt::ValueType::Long);
    EXPECT_EQ(Failure([&] { Decode(element, slot, u"xsd:int", ElementForm::SoapEncodedArray); }),
              "Invalid number format: ");
}

TEST_F(Arrays, LongItemsRoundTripThroughTheIntRow) {
    if (!FindRowByName(&rt_, proxy_, u"xsd:int"))
        GTEST_SKIP() << "no int row in this build";
    const rt::ArrayHandle longs = rt_.NewUnboundedArray(rt::ValueType::Long);
    std::int32_t i = 1;
    rt_.SetLongArrayItem(longs, &i, -7);
    i = 3;
    rt_.SetLongArrayItem(longs, &i, 2147483647);
    i = 2;
    rt_.SetArrayItemNull(longs, &i);
    for (ElementForm form : {ElementForm::SoapEncodedArray, ElementForm::LiteralArray}) {
        SOAPParameter element("n");
        ValueSlot out = ArraySlot(longs, rt::ValueType::Long);
        Encode(element, out, u"xsd:int", form);
        ASSERT_EQ(element.GetArray().size(), 3u);
        EXPECT_EQ(element.GetArray()[0]->GetString(), "-7");
        EXPECT_TRUE(element.GetArray()[1]->IsNull());
        ValueSlot in = ArraySlot(rt_.NewUnboundedArray(rt::ValueType::Long), rt::ValueType::Long);
        Decode(element, in, u"xsd:int", form);
        ASSERT_EQ(rt_.GetArrayLength(in.data.handle), 3u);
        bool isNull = false;
        i = 3;
        EXPECT_EQ(rt_.GetLongArrayItem(in.data.handle, &i, isNull), 2147483647);
        i = 2;
        rt_.GetLongArrayItem(in.data.handle, &i, isNull);
        EXPECT_TRUE(isNull);
    }
}

TEST_F(Arrays, LiteralDecodeTakesEveryChildInOrder) {
    SOAPParameter element("names");
    element.AddParameter("item").SetValue("a");
    element.AddParameter("other").SetNull(true);
    element.AddParameter("item").SetValue("c");
    ValueSlot slot = ArraySlot(Strings({u"1", u"2", u"3", u"4"}), rt::ValueType::String);
    Decode(element, slot, u"xsd:string", ElementForm::LiteralArray);
    EXPECT_EQ(StringItems(slot.data.handle), (std::vector<std::u16string>{u"a", u"null", u"c"}));
}

TEST_F(Arrays, AnyReturnValueGetsANewArrayOfTheRowsType) {
    for (ElementForm form : {ElementForm::SoapEncodedArray, ElementForm::LiteralArray}) {
        SOAPParameter element = EncodedArray("string[2]", nullptr, {{"a"}, {"b"}});
        ValueSlot slot;
        slot.isArray = true;
        slot.type = rt::ValueType::Any;
        Decode(element, slot, u"xsd:string", form);
        EXPECT_TRUE(slot.isArray);
        EXPECT_FALSE(slot.isObject);
        EXPECT_EQ(slot.type, rt::ValueType::String);
        EXPECT_EQ(StringItems(slot.data.handle), (std::vector<std::u16string>{u"a", u"b"}));
    }
    SOAPParameter element("r");
    ValueSlot slot;
    slot.isArray = true;
    slot.type = rt::ValueType::Any;
    EXPECT_EQ(Failure([&] { Decode(element, slot, u"xsd:token", ElementForm::LiteralArray); }),
              "Can't map the XML data type: xsd:token");
}

TEST(FormattedMessage, LongTextsAreCutAt2047Characters) {
    const std::string longText(5000, 'x');
    EXPECT_EQ(FormattedMessage("%s", longText.c_str()).size(), 2047u);
    EXPECT_EQ(FormattedMessage("[%d] %u", -1, 2u), "[-1] 2");
    // A two-byte character across the cut goes as a whole.
    const std::string accents = std::string(2046, 'x') + "\xC3\xA9";
    EXPECT_EQ(FormattedMessage("%s", accents.c_str()), std::string(2046, 'x'));
    EXPECT_EQ(JoinedMessage("", accents), std::string(2046, 'x'));
    EXPECT_EQ(JoinedMessage("a", std::string(2044, 'x'), "\xC3\xA9"),
              "a" + std::string(2044, 'x') + "\xC3\xA9");
}

} // namespace
} // namespace kf::soap
