// Structures and arrays of structures, against the runtime stand-in.
#include "kf/easysoap/xmlcomposer.h"
#include "kf/soap/reservedwords.h"
#include "kf/soap/structures.h"
#include "marshalfixture.h"

namespace kf::soap {
namespace {

using easysoap::kSoapEncNs;
using easysoap::kXsiNs;
using easysoap::SOAPParameter;
using easysoap::SOAPQName;
using test::MarshalTest;

class Structures : public MarshalTest {
protected:
    rt::ObjectHandle Point(const char16_t* label, const char16_t* note) {
        const rt::ObjectHandle p = NewStructure(u"tns__point");
        SetField(p, u"label", label);
        SetField(p, u"ws_type", u"t-value");
        const rt::ObjectHandle inner = NewStructure(u"tns__inner");
        SetField(inner, u"note", note);
        rt_.SetObjectField(p, rt_.GetFieldId(rt_.GetClass(p), u"inner"), inner);
        rt_.SetArrayField(p, rt_.GetFieldId(rt_.GetClass(p), u"tags"), Strings({u"x", u"y"}));
        return p;
    }

    static ValueSlot ObjectSlot(rt::ObjectHandle o) {
        ValueSlot slot;
        slot.isObject = true;
        slot.type = rt::ValueType::Object;
        slot.data.handle = o;
        slot.isNull = o == rt::kNoHandle;
        return slot;
    }

    rt::ObjectHandle Object(rt::ObjectHandle o, const char16_t* field) {
        bool isNull = false;
        return rt_.GetObjectField(o, rt_.GetFieldId(rt_.GetClass(o), field), isNull);
    }

    rt::ArrayHandle Array(rt::ObjectHandle o, const char16_t* field) {
        bool isNull = false;
        return rt_.GetArrayField(o, rt_.GetFieldId(rt_.GetClass(o), field), isNull);
    }

    // The fields of an encoded point, as the service would see them.
    static void ExpectPointFields(const SOAPParameter& p, const char* label, const char* note) {
        ASSERT_EQ(p.GetArray().size(), 4u);
        EXPECT_EQ(p.GetParameter("label").GetString(), label);
        EXPECT_EQ(p.GetParameter("type").GetString(), "t-value") << "ws_type is sent as type";
        const SOAPParameter& inner = p.GetParameter("inner");
        EXPECT_EQ(*inner.GetAttribute(SOAPQName("type", kXsiNs)), SOAPQName("Inner", "urn:types"));
        EXPECT_EQ(inner.GetParameter("note").GetString(), note);
        const SOAPParameter& tags = p.GetParameter("tags");
        ASSERT_EQ(tags.GetArray().size(), 2u);
        EXPECT_EQ(tags.GetArray()[1]->GetString(), "y");
    }

    // A received point element; `withType` false leaves out the "type" field element.
    static SOAPParameter PointElement(const char* name, const char* label, const char* note,
                                      bool withType = true) {
        SOAPParameter p(name);
        p.AddParameter("label").SetValue(label);
        if (withType)
            p.AddParameter("type").SetValue("received-type");
        p.AddParameter("inner").AddParameter("note").SetValue(note);
        SOAPParameter& tags = p.AddParameter("tags");
        tags.AddParameter("item").SetValue("t1");
        return p;
    }
};

TEST(SoapReservedWords, ListAndRenaming) {
    EXPECT_EQ(SoapReservedWords().size(), 124u);
    EXPECT_EQ(ScriptFieldName(u"Type"), u"ws_type");
    EXPECT_EQ(ScriptFieldName(u"_debug"), u"ws__debug");
    EXPECT_EQ(ScriptFieldName(u"resultsets"), u"ws_resultsets");
    EXPECT_EQ(ScriptFieldName(u"Label"), u"label");
    EXPECT_EQ(StructureClassName(u"TNS:Point"), u"tns__point");
    EXPECT_EQ(StructureClassName(u"Point"), u"point__point");
}

TEST_F(Structures, EncodeNestedStructureWithRenamedFieldAndArray) {
    SOAPParameter element("pt", "urn:method");
    ValueSlot slot = ObjectSlot(Point(u"p1", u"n1"));
    Encode(element, slot, u"tns:Point");
    EXPECT_EQ(*element.GetAttribute(SOAPQName("type", kXsiNs)), SOAPQName("Point", "urn:types"));
    ExpectPointFields(element, "p1", "n1");
    EXPECT_EQ(element.GetParameter("label").GetName().ns, "urn:method")
        << "fields in the structure element's namespace";

    SOAPParameter nil("pt");
    ValueSlot none = ObjectSlot(rt::kNoHandle);
    Encode(nil, none, u"tns:Point");
    EXPECT_TRUE(nil.IsNull());
}

TEST_F(Structures, DecodeCreatesTheObjectAndLeavesMissingFieldsAlone) {
    SOAPParameter element = PointElement("pt", "got", "inner-got", false);
    ValueSlot slot = ObjectSlot(rt::kNoHandle);
    Decode(element, slot, u"tns:Point");
    ASSERT_TRUE(slot.isObject);
    ASSERT_FALSE(slot.isNull);
    const rt::ObjectHandle p = slot.data.handle;
    EXPECT_EQ(Field(p, u"label"), u"got");
    EXPECT_EQ(Field(p, u"ws_type"), u"unchanged");
    EXPECT_EQ(Field(Object(p, u"inner"), u"note"), u"inner-got");
    EXPECT_EQ(StringItems(Array(p, u"tags")), std::vector<std::u16string>{u"t1"});

    // Into an existing object: the renamed field is read from "type".
    SOAPParameter again = PointElement("pt", "second", "n2");
    Decode(again, slot, u"tns:Point");
    EXPECT_EQ(slot.data.handle, p);
    EXPECT_EQ(Field(p, u"ws_type"), u"received-type");
}

TEST_F(Structures, ArraysOfStructuresInBothForms) {
    const rt::ClassHandle cls =
        rt_.LookupClass(rt_.LookupGroup(u"tns__point", rt::GroupKind::Structure), u"tns__point");
    const rt::ArrayHandle points = rt_.NewUnboundedObjectArray(cls);
    for (std::int32_t i : {1, 2}) {
        rt_.SetObjectArrayItem(points, &i, Point(i == 1 ? u"a" : u"b", u"n"));
    }

    SOAPParameter encoded("pts");
    ValueSlot slot = ArraySlot(points, rt::ValueType::Object, true);
    Encode(encoded, slot, u"tns:Point", ElementForm::SoapEncodedArray, u"pt");
    EXPECT_EQ(*encoded.GetAttribute(SOAPQName("arrayType", kSoapEncNs)),
              SOAPQName("Point[2]", "urn:types"));
    ASSERT_EQ(encoded.GetArray().size(), 2u);
    EXPECT_EQ(encoded.GetArray()[0]->GetName(), SOAPQName("pt"));
    EXPECT_FALSE(encoded.GetArray()[0]->GetAttribute(SOAPQName("type", kXsiNs)));
    ExpectPointFields(*encoded.GetArray()[1], "b", "n");

    SOAPParameter literal("pts");
    Encode(literal, slot, u"tns:Point", ElementForm::LiteralArray);
    ASSERT_EQ(literal.GetArray().size(), 2u);
    EXPECT_EQ(literal.GetArray()[0]->GetName(), SOAPQName("item", "urn:target"));
    EXPECT_EQ(*literal.GetArray()[0]->GetAttribute(SOAPQName("type", kXsiNs)),
              SOAPQName("Point", "urn:types"));
    ExpectPointFields(*literal.GetArray()[0], "a", "n");

    for (ElementForm form : {ElementForm::SoapEncodedArray, ElementForm::LiteralArray}) {
        SOAPParameter received("pts");
        received.GetArray().push_back(
            std::make_unique<SOAPParameter>(PointElement("item", "r1", "rn1")));
        received.AddParameter("item").SetNull(true);
        ValueSlot in = ArraySlot(rt_.NewUnboundedObjectArray(cls), rt::ValueType::Object, true);
        Decode(received, in, u"tns:Point", form);
        ASSERT_EQ(rt_.GetArrayLength(in.data.handle), 2u);
        std::int32_t i = 1;
        bool isNull = false;
        const rt::ObjectHandle first = rt_.GetObjectArrayItem(in.data.handle, &i, isNull);
        EXPECT_EQ(Field(first, u"label"), u"r1");
        EXPECT_EQ(Field(Object(first, u"inner"), u"note"), u"rn1");
        i = 2;
        rt_.GetObjectArrayItem(in.data.handle, &i, isNull);
        // A nil item: the literal form clears it, the encoded form keeps an empty structure.
        EXPECT_EQ(isNull, form == ElementForm::LiteralArray);
    }
}

TEST_F(Structures, BoundedArraysAndMissingDescriptors) {
    const rt::ClassHandle cls =
        rt_.LookupClass(rt_.LookupGroup(u"tns__point", rt::GroupKind::Structure), u"tns__point");
    const rt::ArrayBound bound{1, 1};
    ValueSlot slot =
        ArraySlot(rt_.NewBoundedObjectArray(cls, 1, &bound), rt::ValueType::Object, true);
    SOAPParameter element("pts");
    for (ElementForm form : {ElementForm::SoapEncodedArray, ElementForm::LiteralArray}) {
        EXPECT_EQ(Failure([&] { Encode(element, slot, u"tns:Point", form); }),
                  "SoapCLient Error: Can't support Bounded array");
    }
    EXPECT_EQ(Failure([&] { Decode(element, slot, u"tns:Point", ElementForm::LiteralArray); }),
              "SoapClient Error: Can't support Bounded array");

    ValueSlot object = ObjectSlot(Point(u"a", u"b"));
    EXPECT_EQ(Failure([&] { Encode(element, object, u"tns:Missing"); }),
              "Can't map the XML data type: tns:Missing");
    ValueSlot other = ObjectSlot(NewStructure(u"tns__nofields"));
    EXPECT_EQ(Failure([&] { Encode(element, other, u"tns:NoFields"); }),
              "Structure tns__nofields has no field gone");
}

TEST_F(Structures, AnyReturnValueOfStructures) {
    SOAPParameter received("r");
    received.GetArray().push_back(std::make_unique<SOAPParameter>(PointElement("item", "r1", "n")));
    ValueSlot slot;
    slot.isArray = true;
    slot.type = rt::ValueType::Any;
    Decode(received, slot, u"tns:Point", ElementForm::LiteralArray);
    EXPECT_TRUE(slot.isObject);
    EXPECT_EQ(slot.type, rt::ValueType::Object);
    rt::ArrayInfo* info = rt_.GetArrayInfo(slot.data.handle);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(rt_.ClassOf(info->itemClass)->name, u"tns__point");
    rt_.ReleaseArrayInfo(info);
    std::int32_t i = 1;
    bool isNull = false;
    EXPECT_EQ(Field(rt_.GetObjectArrayItem(slot.data.handle, &i, isNull), u"label"), u"r1");
}

} // namespace
} // namespace kf::soap
