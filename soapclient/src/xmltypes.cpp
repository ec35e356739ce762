// The XML type table: 22 rows, each a script type and its text conversions.
#include "kf/soap/xmltypes.h"

#include <array>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "kf/easysoap/soapbase64.h"
#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"
#include "kf/rt/utf16.h"
#include "kf/soap/runtimeaccess.h"
#include "kf/soap/scalartext.h"
#include "kf/soap/text.h"

namespace kf::soap {
namespace {

using easysoap::SOAPException;
using easysoap::SOAPQName;

bool InGroup(NamespaceGroup group, std::u16string_view ns) {
    static constexpr std::array<std::u16string_view, 4> kXsd = {
        u"http://www.w3.org/1999/XMLSchema", u"http://www.w3.org/1999/XMLSchema/",
        u"http://www.w3.org/2001/XMLSchema", u"http://www.w3.org/2001/XMLSchema/"};
    static constexpr std::array<std::u16string_view, 2> kSoapEnc = {
        u"http://schemas.xmlsoap.org/soap/encoding", u"http://schemas.xmlsoap.org/soap/encoding/"};
    if (group == NamespaceGroup::Xsd) {
        for (auto n : kXsd) {
            if (n == ns)
                return true;
        }
        return false;
    }
    for (auto n : kSoapEnc) {
        if (n == ns)
            return true;
    }
    return false;
}

[[noreturn]] void Fail(const std::string& message) {
    throw SOAPException(message);
}

// Integer rows: the slot member that the row's script type uses.
template <typename T> T& Member(ValueSlot& slot);
template <> std::int16_t& Member(ValueSlot& s) {
    return s.data.int16;
}
template <> std::uint16_t& Member(ValueSlot& s) {
    return s.data.uint16;
}
template <> std::int32_t& Member(ValueSlot& s) {
    return s.data.int32;
}
template <> std::uint32_t& Member(ValueSlot& s) {
    return s.data.uint32;
}
template <> std::int64_t& Member(ValueSlot& s) {
    return s.data.int64;
}
template <typename T> T Member(const ValueSlot& slot) {
    return Member<T>(const_cast<ValueSlot&>(slot));
}

// One integer row: the range received texts must keep, its message, and the range that
// values sent must keep (only some rows check what they send).
template <typename T, rt::ValueType Type, std::int64_t Min, std::int64_t Max, std::int64_t SendMin,
          std::int64_t SendMax>
struct IntegerRow {
    static const char* message;
    static const char* sendMessage;

    static std::string ToText(rt::RuntimeContext*, const ValueSlot& slot) {
        const auto value = static_cast<std::int64_t>(Member<T>(slot));
        if (value < SendMin || value > SendMax)
            Fail(sendMessage);
        return FormatInteger(value);
    }
    static void FromText(rt::RuntimeContext*, std::string_view text, ValueSlot& slot) {
        const std::int64_t value = DecimalTextReader(text).ToInteger(Min, Max, message);
        slot.type = Type;
        Member<T>(slot) = static_cast<T>(value);
    }
};

constexpr std::int64_t kI64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kI64Max = std::numeric_limits<std::int64_t>::max();

using UnsignedByteRow = IntegerRow<std::uint16_t, rt::ValueType::UInt, 0, 255, 0, 255>;
using ByteRow = IntegerRow<std::int16_t, rt::ValueType::Int, -128, 127, -128, 127>;
using ShortRow = IntegerRow<std::int16_t, rt::ValueType::Int, -32768, 32767, kI64Min, kI64Max>;
using UnsignedShortRow = IntegerRow<std::uint16_t, rt::ValueType::UInt, 0, 65535, kI64Min, kI64Max>;
using IntRow =
    IntegerRow<std::int32_t, rt::ValueType::Long, -2147483648LL, 2147483647, kI64Min, kI64Max>;
using UnsignedIntRow =
    IntegerRow<std::uint32_t, rt::ValueType::ULong, 0, 4294967295LL, kI64Min, kI64Max>;
using LongRow =
    IntegerRow<std::int64_t, rt::ValueType::LongLong, kI64Min, kI64Max, kI64Min, kI64Max>;
using UnsignedLongRow = IntegerRow<std::int64_t, rt::ValueType::LongLong, 0, kI64Max, 0, kI64Max>;

// "integer" would be the same type as LongRow; its message differs, so it reads with a
// handler of its own below.
template <> const char* UnsignedByteRow::message = "Value exceeds XML unsignedByte";
template <> const char* UnsignedByteRow::sendMessage = "Value exceeds XML unsignedByte";
template <> const char* ByteRow::message = "Value exceeds XML byte";
template <> const char* ByteRow::sendMessage = "Value exceeds XML byte";
template <> const char* ShortRow::message = "Value exceeds XML short";
template <> const char* ShortRow::sendMessage = "";
template <> const char* UnsignedShortRow::message = "Value exceeds XML unsignedShort";
template <> const char* UnsignedShortRow::sendMessage = "";
template <> const char* IntRow::message = "Value exceeds XML int";
template <> const char* IntRow::sendMessage = "";
template <> const char* UnsignedIntRow::message = "Value exceeds XML unsigned int";
template <> const char* UnsignedIntRow::sendMessage = "";
template <> const char* LongRow::message = "Value exceeds XML long";
template <> const char* LongRow::sendMessage = "";
template <>
const char* UnsignedLongRow::message = "Can't handle XML unsignedLong > 9223372036854775807";
template <> const char* UnsignedLongRow::sendMessage = "XML unsigned long can't < 0";

void IntegerFromText(rt::RuntimeContext*, std::string_view text, ValueSlot& slot) {
    slot.data.int64 = DecimalTextReader(text).ToInteger(
        kI64Min, kI64Max,
        "Can't handle XML integer which >9223372036854775807 or <-9223372036854775808");
    slot.type = rt::ValueType::LongLong;
}

std::string BooleanToText(rt::RuntimeContext*, const ValueSlot& slot) {
    return slot.data.boolean ? "true" : "false";
}
void BooleanFromText(rt::RuntimeContext*, std::string_view text, ValueSlot& slot) {
    slot.data.boolean = ReadBoolean(text);
    slot.type = rt::ValueType::Boolean;
}

std::string FloatToText(rt::RuntimeContext*, const ValueSlot& slot) {
    return FormatFloat(slot.data.real);
}
void FloatFromText(rt::RuntimeContext*, std::string_view text, ValueSlot& slot) {
    slot.data.real = ReadFloat(text);
    slot.type = rt::ValueType::Real;
}

std::string DoubleToText(rt::RuntimeContext*, const ValueSlot& slot) {
    return FormatDouble(slot.data.dbl);
}
void DoubleFromText(rt::RuntimeContext*, std::string_view text, ValueSlot& slot) {
    slot.data.dbl = ReadDoubleRow(text);
    slot.type = rt::ValueType::Double;
}

std::string DecimalToText(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    const char16_t* text = runtime->GetDecimalText(slot.data.handle);
    if (text == nullptr)
        throw std::runtime_error("decimal without text");
    std::string out = ToUtf8(text);
    runtime->ReleaseDecimalText(text);
    return out;
}
void DecimalFromText(rt::RuntimeContext* runtime, std::string_view text, ValueSlot& slot) {
    const DecimalTextReader reader(text);
    constexpr std::int64_t kLimit = 999999999999999999;
    if (reader.Compare(-kLimit) < 0 || reader.Compare(kLimit) > 0)
        Fail("Can't handle XML decimal >999999999999999999 or <-999999999999999999");
    const rt::DecimalHandle decimal = runtime->NewDecimal();
    if (runtime->SetDecimalText(decimal, FromAscii(reader.trimmed()).c_str()) != rt::Status::Ok)
        Fail("Invalid number format: " + std::string(text));
    slot.data.handle = decimal;
    slot.type = rt::ValueType::Decimal;
}

std::string StringToText(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    return ToUtf8(StringView(runtime, slot.data.handle).value_or(u""));
}
void StringFromText(rt::RuntimeContext* runtime, std::string_view text, ValueSlot& slot) {
    const auto utf16 = rt::Utf8ToUtf16(text);
    if (!utf16)
        Fail("Can't convert UTF8 to UCS");
    slot.type = rt::ValueType::String;
    slot.data.handle = runtime->NewString(utf16->c_str());
}

std::string DateToText(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    DateFields d;
    runtime->SplitDate(slot.data.handle, d.year, d.month, d.day);
    return FormatDate(d);
}
void DateFromText(rt::RuntimeContext* runtime, std::string_view text, ValueSlot& slot) {
    const DateFields d = ReadDate(text);
    const rt::DateHandle date = runtime->NewDate();
    if (runtime->SetDateValue(date, d.year, d.month, d.day) != rt::Status::Ok)
        Fail("Invalid date format: " + std::string(text));
    slot.data.handle = date;
    slot.type = rt::ValueType::Date;
}

std::string TimeToText(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    TimeFields t;
    runtime->SplitTime(slot.data.handle, t.hour, t.minute, t.second);
    return FormatTime(t);
}
void TimeFromText(rt::RuntimeContext* runtime, std::string_view text, ValueSlot& slot) {
    const TimeFields t = ReadTime(text);
    const rt::TimeHandle time = runtime->NewTime();
    if (runtime->SetTimeValue(time, t.hour, t.minute, t.second) != rt::Status::Ok)
        Fail("Invalid time format: " + std::string(text));
    slot.data.handle = time;
    slot.type = rt::ValueType::Time;
}

std::string DateTimeToText(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    DateFields d;
    TimeFields t;
    runtime->SplitDateTime(slot.data.handle, d.year, d.month, d.day, t.hour, t.minute, t.second);
    return FormatDateTime(d, t);
}
void DateTimeFromText(rt::RuntimeContext* runtime, std::string_view text, ValueSlot& slot) {
    DateFields d;
    TimeFields t;
    ReadDateTime(text, d, t);
    const rt::DateTimeHandle dateTime = runtime->NewDateTime();
    if (runtime->SetDateTimeValue(dateTime, d.year, d.month, d.day, t.hour, t.minute, t.second) !=
        rt::Status::Ok)
        Fail("Invalid dateTime format: " + std::string(text));
    slot.data.handle = dateTime;
    slot.type = rt::ValueType::DateTime;
}

// duration and timeInstant carry no value: sent empty, received text ignored.
std::string EmptyText(rt::RuntimeContext*, const ValueSlot&) {
    return {};
}
void DurationFromText(rt::RuntimeContext*, std::string_view, ValueSlot& slot) {
    slot.type = rt::ValueType::Double;
}
void TimeInstantFromText(rt::RuntimeContext*, std::string_view, ValueSlot& slot) {
    slot.type = rt::ValueType::None;
}

std::string_view BlobBytes(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    const std::uint32_t length = runtime->GetBlobLength(slot.data.handle);
    const void* bytes = runtime->GetBlobBytes(slot.data.handle);
    if (bytes == nullptr || length == 0)
        return {};
    return {static_cast<const char*>(bytes), length};
}
void SetBlob(rt::RuntimeContext* runtime, const std::vector<std::uint8_t>& bytes, ValueSlot& slot) {
    slot.data.handle = runtime->NewBlob(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    slot.type = rt::ValueType::Blob;
}
std::string Base64ToText(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    const std::string_view bytes = BlobBytes(runtime, slot);
    return easysoap::SOAPBase64Base::Encode(bytes.data(), bytes.size());
}
void Base64FromText(rt::RuntimeContext* runtime, std::string_view text, ValueSlot& slot) {
    SetBlob(runtime, easysoap::SOAPBase64Base::Decode(text), slot);
}
std::string HexToText(rt::RuntimeContext* runtime, const ValueSlot& slot) {
    const std::string_view bytes = BlobBytes(runtime, slot);
    return easysoap::SOAPHexBase::Encode(bytes.data(), bytes.size());
}
void HexFromText(rt::RuntimeContext* runtime, std::string_view text, ValueSlot& slot) {
    SetBlob(runtime, easysoap::SOAPHexBase::Decode(text), slot);
}

using rt::ValueType;
constexpr NamespaceGroup kXsd = NamespaceGroup::Xsd;

const XmlTypeRow kRows[] = {
    {u"boolean", kXsd, ValueType::Boolean, &BooleanToText, &BooleanFromText},
    {u"unsignedByte", kXsd, ValueType::UInt, &UnsignedByteRow::ToText, &UnsignedByteRow::FromText},
    {u"byte", kXsd, ValueType::Int, &ByteRow::ToText, &ByteRow::FromText},
    {u"short", kXsd, ValueType::Int, &ShortRow::ToText, &ShortRow::FromText},
    {u"unsignedShort", kXsd, ValueType::UInt, &UnsignedShortRow::ToText,
     &UnsignedShortRow::FromText},
    {u"integer", kXsd, ValueType::LongLong, &LongRow::ToText, &IntegerFromText},
    {u"int", kXsd, ValueType::Long, &IntRow::ToText, &IntRow::FromText},
    {u"unsignedInt", kXsd, ValueType::ULong, &UnsignedIntRow::ToText, &UnsignedIntRow::FromText},
    {u"long", kXsd, ValueType::LongLong, &LongRow::ToText, &LongRow::FromText},
    {u"unsignedLong", kXsd, ValueType::LongLong, &UnsignedLongRow::ToText,
     &UnsignedLongRow::FromText},
    {u"float", kXsd, ValueType::Real, &FloatToText, &FloatFromText},
    {u"double", kXsd, ValueType::Double, &DoubleToText, &DoubleFromText},
    {u"decimal", kXsd, ValueType::Decimal, &DecimalToText, &DecimalFromText},
    {u"string", kXsd, ValueType::String, &StringToText, &StringFromText},
    {u"date", kXsd, ValueType::Date, &DateToText, &DateFromText},
    {u"time", kXsd, ValueType::Time, &TimeToText, &TimeFromText},
    {u"duration", kXsd, ValueType::Double, &EmptyText, &DurationFromText},
    {u"timeInstant", kXsd, ValueType::None, &EmptyText, &TimeInstantFromText},
    {u"dateTime", kXsd, ValueType::DateTime, &DateTimeToText, &DateTimeFromText},
    {u"base64", NamespaceGroup::SoapEnc, ValueType::Blob, &Base64ToText, &Base64FromText},
    {u"base64Binary", kXsd, ValueType::Blob, &Base64ToText, &Base64FromText},
    {u"hexBinary", kXsd, ValueType::Blob, &HexToText, &HexFromText},
};
static_assert(std::size(kRows) == 22);

const XmlTypeRow* FindRow(std::u16string_view local, std::u16string_view ns) {
    for (const XmlTypeRow& row : kRows) {
        if (row.localName == local && InGroup(row.group, ns))
            return &row;
    }
    return nullptr;
}

} // namespace

std::u16string LocalPart(std::u16string_view qualifiedName) {
    const std::size_t colon = qualifiedName.find(u':');
    return std::u16string(colon == std::u16string_view::npos ? qualifiedName
                                                             : qualifiedName.substr(colon + 1));
}

std::u16string PrefixNamespace(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                               std::u16string_view qualifiedName) {
    const std::size_t colon = qualifiedName.find(u':');
    if (colon == std::u16string_view::npos)
        return {};
    return StringField(runtime, proxy, Lower(qualifiedName.substr(0, colon))).value_or(u"");
}

namespace {

// The variable that describes a derived simple type or a structure: "__" then the lower-cased
// prefix, "__" and the local name; a name without prefix uses its local name twice.
std::u16string DescriptorName(std::u16string_view typeName) {
    const std::size_t colon = typeName.find(u':');
    const std::u16string local = LocalPart(typeName);
    const std::u16string prefix =
        colon == std::u16string_view::npos ? local : std::u16string(typeName.substr(0, colon));
    return Lower(u"__" + prefix + u"__" + local);
}

// The text after "base=" up to the next ",", or nothing.
std::optional<std::u16string> BaseTypeName(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                                           std::u16string_view typeName) {
    const auto descriptor = StringField(runtime, proxy, DescriptorName(typeName));
    if (!descriptor)
        return std::nullopt;
    const std::size_t at = descriptor->find(u"base=");
    if (at == std::u16string::npos)
        return std::nullopt;
    const std::size_t from = at + 5;
    return descriptor->substr(from, descriptor->find(u',', from) - from);
}

// Derived types may derive from derived types; a cycle in the descriptors must end.
constexpr int kMaxDerivation = 16;

} // namespace

RowMatch LookupRow(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                   std::u16string_view typeName, rt::ValueType slotType) {
    std::u16string name(typeName);
    for (int depth = 0; depth <= kMaxDerivation; ++depth) {
        if (name.find(u':') != std::u16string::npos) {
            std::u16string ns = PrefixNamespace(runtime, proxy, name);
            const XmlTypeRow* row = FindRow(LocalPart(name), ns);
            if (row && row->type == slotType)
                return {row, std::move(ns)};
        }
        auto base = BaseTypeName(runtime, proxy, name);
        if (!base || base->empty())
            break;
        name = std::move(*base);
    }
    throw SOAPException("Can't map the XML data type: " + ToUtf8(typeName));
}

const XmlTypeRow* FindRowByName(rt::RuntimeContext* runtime, rt::ObjectHandle proxy,
                                std::u16string_view typeName) {
    std::u16string name(typeName);
    for (int depth = 0; depth <= kMaxDerivation; ++depth) {
        if (name.find(u':') != std::u16string::npos) {
            if (const XmlTypeRow* row =
                    FindRow(LocalPart(name), PrefixNamespace(runtime, proxy, name)))
                return row;
        }
        auto base = BaseTypeName(runtime, proxy, name);
        if (!base || base->empty())
            break;
        name = std::move(*base);
    }
    return nullptr;
}

void EncodeScalar(MarshalContext& c, const RowMatch& match) {
    if (c.slot.isNull) {
        c.element.SetNull(true);
        return;
    }
    const std::string text = match.row->toText(c.runtime, c.slot);
    c.element.ClearValue();
    c.element.AddAttribute(SOAPQName("type", easysoap::kXsiNs))
        .Set(ToUtf8(match.row->localName), ToUtf8(match.ns));
    c.element.SetValue(text);
}

void DecodeScalar(MarshalContext& c, const XmlTypeRow& row) {
    if (c.element.IsNull()) {
        c.slot.isNull = true;
        return;
    }
    c.slot.isNull = false;
    row.fromText(c.runtime, c.element.GetString(), c.slot);
}

} // namespace kf::soap
