// The runtime's operations as an extension calls them, one family per test.
#include <gtest/gtest.h>

#include <cstring>

#include "support.h"

namespace kf::rt {
namespace {

class RuntimeOps : public testing::Test {
 protected:
  void SetUp() override {
    LoadExportSources(rt, {test::DataPath("s_point.srs"), test::DataPath("n_echoproxy.srx")});
    point = rt.LookupClass(rt.LookupGroup(u"s_point", GroupKind::Structure), u"s_point");
    ASSERT_NE(point, kNoHandle);
  }
  Runtime rt;
  ClassHandle point = kNoHandle;
  Runtime::Scope scope{rt};
};

TEST_F(RuntimeOps, StringsBlobsAndBadHandles) {
  for (std::u16string text : {std::u16string(), std::u16string(u"plain"),
                              std::u16string(u"\u00e9\u4e2d\U0001F600")}) {
    StringHandle s = rt.NewString(text.c_str());
    ASSERT_NE(s, kNoHandle);
    EXPECT_EQ(std::u16string(rt.GetStringText(s)), text);
  }
  EXPECT_EQ(rt.NewString(nullptr), kNoHandle);
  EXPECT_EQ(rt.GetStringText(12345), nullptr);

  const unsigned char bytes[] = {0, 1, 0xFF, 0};
  BlobHandle b = rt.NewBlob(bytes, sizeof bytes);
  ASSERT_EQ(rt.GetBlobLength(b), 4u);
  EXPECT_EQ(std::memcmp(rt.GetBlobBytes(b), bytes, 4), 0);
  BlobHandle empty = rt.NewBlob(nullptr, 0);
  EXPECT_EQ(rt.GetBlobLength(empty), 0u);
  EXPECT_NE(rt.GetBlobBytes(empty), nullptr);
  EXPECT_EQ(rt.NewBlob(nullptr, 3), kNoHandle);
  // A handle of another kind is no blob.
  EXPECT_EQ(rt.GetBlobBytes(rt.NewString(u"x")), nullptr);
}

TEST_F(RuntimeOps, DatesAndTimesAreValidatedAndSplitBack) {
  struct Case {
    std::int32_t y, m, d;
    bool ok;
  } dates[] = {{2024, 2, 29, true}, {2023, 2, 29, false}, {1900, 2, 29, false},
               {2000, 2, 29, true}, {999, 12, 31, true},  {0, 1, 1, false},
               {2024, 13, 1, false}, {2024, 4, 31, false}};
  for (const auto& c : dates) {
    DateHandle h = rt.NewDate();
    EXPECT_EQ(rt.SetDateValue(h, c.y, c.m, c.d) == Status::Ok, c.ok) << c.y << "-" << c.m << "-" << c.d;
    std::int32_t y = 0, m = 0, d = 0;
    ASSERT_EQ(rt.SplitDate(h, y, m, d), Status::Ok);
    // A refused value leaves the date as it was (the initial 1900-01-01).
    const Date want = c.ok ? Date{c.y, c.m, c.d} : Date{};
    EXPECT_EQ((Date{y, m, d}), want);
  }
  TimeHandle t = rt.NewTime();
  EXPECT_EQ(rt.SetTimeValue(t, 23, 59, 59.999), Status::Ok);
  EXPECT_EQ(rt.SetTimeValue(t, 24, 0, 0), Status::Failed);
  EXPECT_EQ(rt.SetTimeValue(t, 0, 0, 60), Status::Failed);
  std::int32_t h = 0, mi = 0;
  double s = 0;
  rt.SplitTime(t, h, mi, s);
  EXPECT_EQ((Time{h, mi, s}), (Time{23, 59, 59.999}));

  DateTimeHandle dt = rt.NewDateTime();
  EXPECT_EQ(rt.SetDateTimeValue(dt, 2024, 2, 30, 1, 2, 3), Status::Failed);
  EXPECT_EQ(rt.SetDateTimeValue(dt, 2024, 2, 29, 1, 2, 3.5), Status::Ok);
  std::int32_t y = 0, mo = 0, d = 0;
  rt.SplitDateTime(dt, y, mo, d, h, mi, s);
  EXPECT_EQ((DateTime{{y, mo, d}, {h, mi, s}}), (DateTime{{2024, 2, 29}, {1, 2, 3.5}}));
  EXPECT_EQ(rt.SplitDate(dt, y, mo, d), Status::BadHandle);
}

TEST_F(RuntimeOps, DecimalTextsRoundTripAndAreReleased) {
  const std::size_t before = rt.LiveHandleCount();
  DecimalHandle d = rt.NewDecimal();
  const char16_t* zero = rt.GetDecimalText(d);
  EXPECT_EQ(std::u16string(zero), u"0");
  rt.ReleaseDecimalText(zero);
  ASSERT_EQ(rt.SetDecimalText(d, u"-98765432109876543210.123456789"), Status::Ok);
  const char16_t* text = rt.GetDecimalText(d);
  EXPECT_EQ(std::u16string(text), u"-98765432109876543210.123456789");
  EXPECT_EQ(rt.LiveHandleCount(), before + 2);  // the decimal and its text
  rt.ReleaseDecimalText(text);
  EXPECT_EQ(rt.LiveHandleCount(), before + 1);
  EXPECT_EQ(rt.SetDecimalText(d, u"1,5"), Status::Failed);
  EXPECT_EQ(rt.SetDecimalText(d, nullptr), Status::NullValue);
}

TEST_F(RuntimeOps, BoundedArraysCheckEveryDimension) {
  const ArrayBound bounds[] = {{-1, 1}, {1, 2}};
  ArrayHandle a = rt.NewBoundedArray(ValueType::Long, 2, bounds);
  ASSERT_NE(a, kNoHandle);
  EXPECT_EQ(rt.GetArrayLength(a), 6u);
  struct Case {
    std::int32_t i, j;
    Status status;
  } cases[] = {{-1, 1, Status::Ok}, {1, 2, Status::Ok},          {0, 2, Status::Ok},
               {-2, 1, Status::OutOfBounds}, {2, 1, Status::OutOfBounds},
               {0, 0, Status::OutOfBounds},  {0, 3, Status::OutOfBounds}};
  for (const auto& c : cases) {
    std::int32_t index[] = {c.i, c.j};
    EXPECT_EQ(rt.SetLongArrayItem(a, index, c.i * 10 + c.j), c.status) << c.i << "," << c.j;
  }
  EXPECT_EQ(rt.GetArrayLength(a), 6u);  // bounded arrays never grow
  std::int32_t last[] = {1, 2};
  bool isNull = true;
  EXPECT_EQ(rt.GetLongArrayItem(a, last, isNull), 12);
  EXPECT_FALSE(isNull);
  // Items start at the type's initial value, not null.
  std::int32_t untouched[] = {-1, 2};
  EXPECT_EQ(rt.GetLongArrayItem(a, untouched, isNull), 0);
  EXPECT_FALSE(isNull);

  ArrayInfo* info = rt.GetArrayInfo(a);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->kind, ArrayKind::Bounded);
  EXPECT_EQ(int(info->kind), 0);
  EXPECT_EQ(info->itemType, ValueType::Long);
  ASSERT_EQ(info->dimensions, 2u);
  EXPECT_EQ(info->bounds[0].lower, -1);
  EXPECT_EQ(info->bounds[1].upper, 2);
  rt.ReleaseArrayInfo(info);

  const ArrayBound reversed[] = {{3, 1}};
  EXPECT_EQ(rt.NewBoundedArray(ValueType::Long, 1, reversed), kNoHandle);
  const ArrayBound huge[] = {{1, 1 << 20}, {1, 1 << 20}};
  EXPECT_EQ(rt.NewBoundedArray(ValueType::Long, 2, huge), kNoHandle);
}

TEST_F(RuntimeOps, UnboundedArraysGrowOnWriteOnly) {
  ArrayHandle a = rt.NewUnboundedArray(ValueType::String);
  EXPECT_EQ(rt.GetArrayLength(a), 0u);
  std::int32_t five = 5, two = 2, zero = 0;
  bool isNull = false;
  EXPECT_EQ(rt.GetStringArrayItem(a, &five, isNull), kNoHandle);
  EXPECT_TRUE(isNull);
  EXPECT_EQ(rt.GetArrayLength(a), 0u);  // reading does not grow
  EXPECT_EQ(rt.SetStringArrayItemText(a, &five, u"five"), Status::Ok);
  EXPECT_EQ(rt.GetArrayLength(a), 5u);
  EXPECT_EQ(std::u16string(rt.GetStringText(rt.GetStringArrayItem(a, &two, isNull))), u"");
  EXPECT_FALSE(isNull);
  EXPECT_EQ(rt.SetArrayItemNull(a, &two), Status::Ok);
  rt.GetStringArrayItem(a, &two, isNull);
  EXPECT_TRUE(isNull);
  EXPECT_EQ(rt.SetStringArrayItemText(a, &zero, u"x"), Status::OutOfBounds);
  // A value of another type is refused before the array grows.
  std::int32_t nine = 9;
  EXPECT_EQ(rt.SetLongArrayItem(a, &nine, 1), Status::TypeMismatch);
  EXPECT_EQ(rt.GetArrayLength(a), 5u);
  std::int32_t tooFar = std::int32_t(kMaxArrayItems) + 1;
  EXPECT_EQ(rt.SetStringArrayItemText(a, &tooFar, u"x"), Status::OutOfBounds);

  ArrayInfo* info = rt.GetArrayInfo(a);
  EXPECT_EQ(info->kind, ArrayKind::Unbounded);
  EXPECT_EQ(info->bounds[0].upper, 5);
  rt.ReleaseArrayInfo(info);
}

TEST_F(RuntimeOps, ObjectArraysTakeObjectsOfTheirClass) {
  ArrayHandle a = rt.NewUnboundedObjectArray(point);
  ArrayInfo* info = rt.GetArrayInfo(a);
  EXPECT_EQ(info->itemType, ValueType::Object);
  EXPECT_EQ(info->itemClass, point);
  rt.ReleaseArrayInfo(info);
  std::int32_t one = 1, two = 2;
  ObjectHandle p = rt.CreateScriptObject(point);
  EXPECT_EQ(rt.SetObjectArrayItem(a, &two, p), Status::Ok);
  bool isNull = false;
  rt.GetObjectArrayItem(a, &one, isNull);
  EXPECT_TRUE(isNull);  // object items start null
  ObjectHandle back = rt.GetObjectArrayItem(a, &two, isNull);
  EXPECT_EQ(rt.ObjectOf(back), rt.ObjectOf(p));
  ClassHandle proxy = rt.LookupClass(rt.LookupGroup(u"n_echoproxy", GroupKind::Proxy), u"n_echoproxy");
  EXPECT_EQ(rt.SetObjectArrayItem(a, &one, rt.CreateScriptObject(proxy)), Status::TypeMismatch);
}

TEST_F(RuntimeOps, GroupsAreFoundByNameAndKind) {
  struct Case {
    const char16_t* name;
    GroupKind kind;
    bool found;
  } cases[] = {{u"s_point", GroupKind::Structure, true},   {u"S_POINT", GroupKind::Structure, true},
               {u"s_point", GroupKind::Proxy, false},      {u"n_echoproxy", GroupKind::Proxy, true},
               {u"runtimeerror", GroupKind::Exception, true}, {u"nosuch", GroupKind::Proxy, false}};
  for (const auto& c : cases)
    EXPECT_EQ(rt.LookupGroup(c.name, c.kind) != kNoHandle, c.found) << Narrow(c.name);
  EXPECT_EQ(rt.LookupClass(rt.LookupGroup(u"s_point", GroupKind::Structure), u"n_echoproxy"),
            kNoHandle);
}

TEST_F(RuntimeOps, FieldsHaveIdsTypesInitialValuesAndNullFlags) {
  struct Case {
    const char16_t* name;
    FieldId id;
    ValueType type;
  } cases[] = {{u"x", 0, ValueType::Long},     {u"Y", 1, ValueType::Long},
               {u"label", 2, ValueType::String}, {u"weight", 3, ValueType::Decimal},
               {u"nosuch", kNoField, ValueType::None}};
  for (const auto& c : cases) {
    EXPECT_EQ(rt.GetFieldId(point, c.name), c.id) << Narrow(c.name);
    EXPECT_EQ(rt.GetFieldType(point, c.id), c.type);
  }
  EXPECT_EQ(rt.GetFieldId(point, u"nosuch"), 0xFFFFu);
  ObjectHandle p = rt.CreateScriptObject(point);
  bool isNull = true;
  EXPECT_EQ(rt.GetLongField(p, 0, isNull), 3);
  EXPECT_FALSE(isNull);
  EXPECT_EQ(std::u16string(rt.GetStringText(rt.GetStringField(p, 2, isNull))), u"origin \"0\"");
  const char16_t* weight = rt.GetDecimalText(rt.GetDecimalField(p, 3, isNull));
  EXPECT_EQ(std::u16string(weight), u"1.50");
  rt.ReleaseDecimalText(weight);

  EXPECT_EQ(rt.SetFieldNull(p, 1), Status::Ok);
  EXPECT_TRUE(rt.IsFieldNull(p, 1));
  rt.GetLongField(p, 1, isNull);
  EXPECT_TRUE(isNull);
  EXPECT_EQ(rt.SetLongField(p, 1, 7), Status::Ok);
  EXPECT_FALSE(rt.IsFieldNull(p, 1));
  // Typed setters refuse another type; unknown ids and objects are bad handles.
  EXPECT_EQ(rt.SetStringFieldText(p, 0, u"x"), Status::TypeMismatch);
  EXPECT_EQ(rt.SetIntField(p, 0, 1), Status::TypeMismatch);
  EXPECT_EQ(rt.SetLongField(p, 9, 1), Status::BadHandle);
  EXPECT_EQ(rt.SetLongField(kNoHandle, 0, 1), Status::BadHandle);
  EXPECT_FALSE(rt.IsFieldArray(point, 0));
  EXPECT_FALSE(rt.IsFieldObject(point, 0));

  ClassHandle proxy = rt.LookupClass(rt.LookupGroup(u"n_echoproxy", GroupKind::Proxy), u"n_echoproxy");
  FieldId scores = rt.GetFieldId(proxy, u"scores");
  EXPECT_TRUE(rt.IsFieldArray(proxy, scores));
  ObjectHandle o = rt.CreateScriptObject(proxy);
  ArrayHandle a = rt.GetArrayField(o, scores, isNull);
  EXPECT_EQ(rt.GetArrayLength(a), 3u);
  // The field's array is the object's own: writes through the handle reach it.
  std::int32_t two = 2;
  rt.SetLongArrayItem(a, &two, 9);
  ObjectRef object = rt.ObjectOf(o);
  EXPECT_EQ(FormatValue(object->fields[scores]), "{0, 9, 0}");
}

TEST_F(RuntimeOps, SystemClassesAndExceptions) {
  ClassHandle error = rt.LookupClass(rt.LookupGroup(u"runtimeerror", GroupKind::Exception),
                                     u"runtimeerror");
  FieldId text = rt.GetFieldId(error, u"text");
  ASSERT_NE(text, kNoField);
  ObjectHandle e = rt.CreateScriptObject(error);
  EXPECT_EQ(rt.SetStringFieldText(e, text, u"went wrong"), Status::Ok);
  EXPECT_EQ(rt.RaiseScriptException(rt.CreateScriptObject(point)), Status::Failed);
  EXPECT_FALSE(rt.TakePendingException());
  EXPECT_EQ(rt.RaiseScriptException(e), Status::Ok);
  ObjectRef pending = rt.TakePendingException();
  ASSERT_TRUE(pending);
  EXPECT_EQ(FormatValue(pending->fields[text]), "went wrong");
  EXPECT_FALSE(rt.TakePendingException());
}

TEST(RuntimeHandles, TemporariesDieWithTheirScope) {
  Runtime rt;
  const std::size_t base = rt.LiveHandleCount();
  {
    Runtime::Scope scope(rt);
    rt.NewString(u"a");
    rt.NewDate();
    ArrayInfo* info = rt.GetArrayInfo(rt.NewUnboundedArray(ValueType::Long));
    EXPECT_EQ(rt.LiveHandleCount(), base + 4);
    rt.ReleaseArrayInfo(info);
  }
  EXPECT_EQ(rt.LiveHandleCount(), base);
  // Outside any scope temporaries wait for ReleaseTemporaries; infos for their release.
  ArrayInfo* leaked = rt.GetArrayInfo(rt.NewUnboundedArray(ValueType::Long));
  rt.ReleaseTemporaries();
  EXPECT_EQ(rt.LiveHandleCount(), base + 1);
  rt.ReleaseArrayInfo(leaked);
  EXPECT_EQ(rt.LiveHandleCount(), base);
  rt.ReleaseArrayInfo(leaked);  // a second release is ignored
}

}  // namespace
}  // namespace kf::rt
