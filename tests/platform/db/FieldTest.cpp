// Field values, their texts and their checks.
#include <cmath>

#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "platform/db/DBConsts.h"
#include "platform/rtl/Stream.h"

using rtl::Variant;

namespace {

// A one-record memory data set in insert state with one field of each kind under test.
struct FieldsFixture : ::testing::Test {
    db::TMemDataSet ds;
    rtl::TScopedFormatSettings fmt{rtl::TFormatSettings::Invariant()};

    template <typename F>
    F* add(const char* name, int size = -1)
    {
        return ds.AddField<F>(name, db::fkData, size);
    }
    db::TField* f(const char* name) { return ds.FieldByName(name); }
    void open()
    {
        ds.Open();
        ds.Append();
    }
    std::string error(const std::function<void()>& fn)
    {
        try {
            fn();
        } catch (const rtl::Exception& e) {
            return e.Message;
        }
        return "no error";
    }
};

} // namespace

TEST_F(FieldsFixture, NullReadsAsEmptyValues)
{
    add<db::TIntegerField>("I");
    add<db::TStringField>("S");
    add<db::TBooleanField>("B");
    add<db::TDateTimeField>("D");
    open();
    for (const char* n : {"I", "S", "B", "D"}) {
        EXPECT_TRUE(f(n)->IsNull()) << n;
        EXPECT_EQ(f(n)->GetText(), "") << n;
        EXPECT_EQ(f(n)->DisplayText(), "") << n;
        EXPECT_TRUE(f(n)->GetValue().IsNull()) << n;
    }
    EXPECT_EQ(f("I")->GetAsInteger(), 0);
    EXPECT_EQ(f("S")->GetAsString(), "");
    EXPECT_FALSE(f("B")->GetAsBoolean());
    EXPECT_EQ(f("D")->GetAsDateTime(), 0.0);
}

TEST_F(FieldsFixture, IntegerFieldsCheckTextAndRange)
{
    auto* small = add<db::TSmallintField>("SMALL");
    auto* word = add<db::TWordField>("W");
    auto* big = add<db::TLargeintField>("BIG");
    open();
    EXPECT_EQ(small->GetAlignment(), db::taRightJustify);
    small->SetText(" 42 ");
    EXPECT_EQ(small->GetAsInteger(), 42);
    EXPECT_EQ(small->GetValue().VarType(), rtl::varSmallint);
    small->SetDisplayFormat("#,##0 pcs");
    small->SetAsInteger(1234);
    EXPECT_EQ(small->DisplayText(), "1,234 pcs");
    EXPECT_EQ(small->GetText(), "1234");
    EXPECT_EQ(error([&] { small->SetAsInteger(40000); }),
              "40000 is not a valid value for field 'SMALL'. The allowed range is -32768 to 32767");
    EXPECT_EQ(small->GetAsInteger(), 1234);
    EXPECT_EQ(error([&] { word->SetText("-1"); }),
              "-1 is not a valid value for field 'W'. The allowed range is 0 to 65535");
    EXPECT_EQ(error([&] { word->SetText("12a"); }), "'12a' is not a valid integer value for field 'W'");
    small->SetText("");
    EXPECT_TRUE(small->IsNull());
    big->SetAsLargeInt(5'000'000'000LL);
    EXPECT_EQ(big->GetAsString(), "5000000000");
    EXPECT_TRUE(small->IsValidChar('7'));
    EXPECT_TRUE(small->IsValidChar('-'));
    EXPECT_FALSE(small->IsValidChar('.'));
    EXPECT_EQ(small->GetDisplayWidth(), 6);
}

TEST_F(FieldsFixture, FloatAndBcdFieldsFormatWithTheSettings)
{
    auto* fl = add<db::TFloatField>("F");
    auto* money = add<db::TCurrencyField>("M");
    auto* bcd = add<db::TBCDField>("B");
    open();
    fl->SetText("2.5");
    EXPECT_DOUBLE_EQ(fl->GetAsFloat(), 2.5);
    EXPECT_EQ(fl->GetAsInteger(), 2); // halves go to even
    EXPECT_EQ(fl->DisplayText(), "2.5");
    fl->SetDisplayFormat("0.00 MHz");
    EXPECT_EQ(fl->DisplayText(), "2.50 MHz");
    EXPECT_EQ(error([&] { fl->SetText("1,5"); }), "'1,5' is not a valid floating point value for field 'F'");
    EXPECT_TRUE(fl->IsValidChar('.'));
    EXPECT_TRUE(fl->IsValidChar('E'));
    EXPECT_FALSE(fl->IsValidChar(','));

    money->SetAsFloat(1234.5);
    EXPECT_EQ(money->DisplayText(), "$1,234.50");
    EXPECT_EQ(money->GetText(), "1234.50");

    bcd->SetText("10.125");
    EXPECT_EQ(bcd->GetAsCurrency().Scaled, 101250);
    EXPECT_EQ(bcd->GetAsString(), "10.125");

    rtl::TScopedFormatSettings comma(',', '.');
    fl->SetDisplayFormat("");
    fl->SetText("1,25");
    EXPECT_EQ(fl->GetText(), "1,25");
    EXPECT_TRUE(fl->IsValidChar(','));
}

TEST_F(FieldsFixture, StringBooleanAndDateFields)
{
    auto* s = add<db::TStringField>("S", 5);
    auto* b = add<db::TBooleanField>("B");
    auto* d = add<db::TDateField>("D");
    auto* t = add<db::TTimeField>("T");
    auto* dt = add<db::TDateTimeField>("DT");
    open();
    s->SetAsString("abcdefgh"); // cut to the field's length
    EXPECT_EQ(s->GetAsString(), "abcde");
    EXPECT_EQ(s->GetDisplayWidth(), 5);

    b->SetText("f");
    EXPECT_EQ(b->DisplayText(), "False");
    b->SetText("TRUE");
    EXPECT_TRUE(b->GetAsBoolean());
    EXPECT_EQ(error([&] { b->SetText("yes"); }), "'yes' is not a valid boolean value for field 'B'");

    rtl::TDateTime when = rtl::EncodeDate(2024, 3, 5) + rtl::EncodeTime(14, 30, 0, 0);
    d->SetAsDateTime(when);
    t->SetAsDateTime(when);
    dt->SetAsDateTime(when);
    EXPECT_DOUBLE_EQ(d->GetAsDateTime(), rtl::EncodeDate(2024, 3, 5));
    EXPECT_DOUBLE_EQ(t->GetAsDateTime(), rtl::EncodeTime(14, 30, 0, 0));
    EXPECT_EQ(d->DisplayText(), "3/5/2024");
    EXPECT_EQ(t->DisplayText(), "2:30:00 PM");
    EXPECT_EQ(dt->DisplayText(), "3/5/2024 2:30:00 PM");
    dt->SetDisplayFormat("yyyy-mm-dd hh:nn");
    EXPECT_EQ(dt->DisplayText(), "2024-03-05 14:30");
    EXPECT_EQ(dt->GetText(), "3/5/2024 2:30:00 PM"); // editing ignores the display format
    dt->SetText("12/31/2023 23:59:00");
    EXPECT_EQ(dt->GetAsString(), "12/31/2023 11:59:00 PM");
    EXPECT_THROW(d->SetText("31.31.2023"), rtl::EConvertError);
}

TEST_F(FieldsFixture, DateFieldsRefuseValuesOutsideTheCalendar)
{
    auto* d = add<db::TDateField>("D");
    auto* t = add<db::TTimeField>("T");
    auto* dt = add<db::TDateTimeField>("DT");
    open();
    const rtl::TDateTime day = rtl::EncodeDate(2024, 3, 5);
    for (db::TField* field : std::initializer_list<db::TField*>{d, t, dt}) {
        field->SetAsDateTime(day + 0.5);
        const rtl::Variant before = field->GetValue();
        for (const double outside : {1e20, rtl::MinDateTime - 1, rtl::MaxDateTime + 1, std::nan("")}) {
            EXPECT_THROW(field->SetAsFloat(outside), rtl::EDatabaseError) << outside;
            EXPECT_THROW(field->SetValue(rtl::Variant(outside)), rtl::EDatabaseError) << outside;
            EXPECT_TRUE(field->GetValue() == before) << field->GetFieldName();
        }
    }
    EXPECT_EQ(error([&] { dt->SetAsFloat(1e20); }),
              "1E20 is not a valid value for field 'DT'. The allowed range is 1/1/0001 to 12/31/9999 11:59:59 PM");

    // The ends of the calendar, and a year below 1000, show texts that read back.
    for (const rtl::TDateTime inside : {rtl::MinDateTime, rtl::MaxDateTime - 0.999 / 86400,
                                        rtl::EncodeDate(55, 2, 17) + rtl::EncodeTime(6, 7, 8, 0)}) {
        dt->SetAsDateTime(inside);
        const std::string text = dt->GetText();
        dt->Clear();
        dt->SetText(text);
        EXPECT_EQ(dt->GetText(), text);
        EXPECT_NEAR(dt->GetAsDateTime(), inside, 0.5 / 86400) << text;
    }
    dt->SetAsDateTime(rtl::EncodeDate(55, 2, 17));
    EXPECT_EQ(dt->GetText(), "2/17/0055");
}

TEST_F(FieldsFixture, DisplayTextsReadBackAsTheirValues)
{
    auto* amount = add<db::TBCDField>("A");
    auto* count = add<db::TIntegerField>("N");
    auto* day = add<db::TDateField>("D");
    open();
    amount->SetCurrency(true);
    count->SetDisplayFormat("#,##0 'pcs'");
    day->SetDisplayFormat("ddd d mmm yyyy");
    amount->SetAsCurrency(rtl::Currency::FromScaled(-123456700));
    count->SetAsInteger(1200);
    day->SetAsDateTime(rtl::EncodeDate(2024, 2, 29));
    for (db::TField* field : std::initializer_list<db::TField*>{amount, count, day}) {
        Variant value;
        EXPECT_TRUE(field->DisplayTextToValue(field->DisplayText(), value) && value == field->GetValue())
            << field->DisplayText();
    }
    EXPECT_EQ(amount->DisplayText(), "($12,345.67)");

    Variant value;
    EXPECT_FALSE(count->DisplayTextToValue("1,200", value));   // not what the field shows
    EXPECT_FALSE(count->DisplayTextToValue("1.5 pcs", value)); // no whole number
    EXPECT_FALSE(day->DisplayTextToValue("Fri 29 Feb 2024", value));
    EXPECT_FALSE(amount->DisplayTextToValue("", value));
    // A program's own text replaces the conversion: its display is not read back here.
    struct TOwnText : rtl::TObject {
        void Get(db::TField*, std::string& Text, bool) { Text = "seven"; }
    } own;
    count->OnGetText = {&own, &TOwnText::Get};
    EXPECT_FALSE(count->DisplayTextToValue("1,200 pcs", value));
}

TEST_F(FieldsFixture, BlobAndMemoFieldsKeepBytesAndShowTheirKind)
{
    auto* blob = add<db::TBlobField>("BLOB");
    auto* memo = add<db::TMemoField>("MEMO");
    open();
    EXPECT_EQ(blob->DisplayText(), "(Blob)");
    EXPECT_EQ(memo->GetText(), "(Memo)");
    std::string bytes("d\0B\xB5V", 5);
    rtl::TMemoryStream in;
    in.WriteBuffer(bytes.data(), 5); // position at the end: loading starts at 0 anyway
    blob->LoadFromStream(in);
    EXPECT_EQ(blob->BlobSize(), 5);
    EXPECT_EQ(blob->DisplayText(), "(BLOB)");
    EXPECT_TRUE(blob->IsBlob());
    memo->SetAsString("text");
    EXPECT_EQ(memo->DisplayText(), "(MEMO)");
    ds.Post();

    rtl::TMemoryStream out;
    blob->SaveToStream(out);
    EXPECT_EQ(out.ToString(), bytes);

    ds.Edit();
    rtl::TMemoryStream empty;
    blob->LoadFromStream(empty);
    EXPECT_TRUE(blob->IsNull());
}

TEST_F(FieldsFixture, TextEventsReplaceTheConversions)
{
    auto* code = add<db::TIntegerField>("CODE");
    open();
    code->OnGetText = db::TFieldGetTextEvent::FromFunction([](db::TField* fld, std::string& text, bool display) {
        text = (display ? "#" : "") + std::to_string(fld->GetAsInteger() * 10);
    });
    code->OnSetText = db::TFieldSetTextEvent::FromFunction([](db::TField* fld, const std::string& text) {
        fld->SetAsInteger(std::stoi(text) / 10);
    });
    code->SetText("70");
    EXPECT_EQ(code->GetAsInteger(), 7);
    EXPECT_EQ(code->GetText(), "70");
    EXPECT_EQ(code->DisplayText(), "#70");
}

TEST_F(FieldsFixture, PresentationPropertiesAndIndex)
{
    auto* a = add<db::TIntegerField>("A");
    auto* b = add<db::TStringField>("B", 12);
    auto* c = add<db::TBooleanField>("C");
    EXPECT_EQ(a->GetDisplayLabel(), "A");
    a->SetDisplayLabel("Amount");
    EXPECT_EQ(a->DisplayName(), "Amount");
    EXPECT_EQ(b->GetDisplayWidth(), 12);
    b->SetDisplayWidth(3);
    EXPECT_EQ(b->GetDisplayWidth(), 3);
    EXPECT_EQ(c->GetAlignment(), db::taLeftJustify);
    c->SetIndex(0);
    EXPECT_EQ(ds.Fields()[0], c);
    EXPECT_EQ(a->GetIndex(), 1);
    open();
    EXPECT_EQ(a->FieldNo(), 2); // columns follow the field order at Open
    EXPECT_TRUE(a->CanModify());
    ds.Cancel();
    ds.Close();
    ds.RemoveField(b);
    EXPECT_EQ(ds.Fields().Count(), 2);
}

TEST_F(FieldsFixture, NumericFieldsKeepToTheirMinValueAndMaxValue)
{
    auto* i = add<db::TIntegerField>("I");
    auto* big = add<db::TLargeintField>("BIG");
    auto* x = add<db::TFloatField>("X");
    auto* bcd = add<db::TBCDField>("BCD");
    open();
    // Both limits 0: only the type's own range.
    i->SetAsInteger(-5);
    x->SetAsFloat(1e300);
    bcd->SetAsCurrency(rtl::Currency::FromInt(-7));
    i->SetMinValue(1);
    i->SetMaxValue(60);
    EXPECT_EQ(i->GetMinValue(), 1);
    EXPECT_EQ(i->GetMaxValue(), 60);
    struct Case {
        db::TField* field;
        std::function<void()> write;
        std::string error;
    };
    big->SetMinValue(-10'000'000'000LL);
    big->SetMaxValue(10'000'000'000LL);
    x->SetMinValue(0.5);
    x->SetMaxValue(2.5);
    bcd->SetMaxValue(rtl::Currency::FromScaled(12'3400)); // 12.34; the minimum 0 counts as set
    const Case cases[] = {
        {i, [&] { i->SetAsInteger(61); }, "61 is not a valid value for field 'I'. The allowed range is 1 to 60"},
        {i, [&] { i->SetText("0"); }, "0 is not a valid value for field 'I'. The allowed range is 1 to 60"},
        {i, [&] { i->SetAsInteger(60); }, ""},
        {big, [&] { big->SetAsLargeInt(10'000'000'001LL); },
         "10000000001 is not a valid value for field 'BIG'. The allowed range is -10000000000 to 10000000000"},
        {big, [&] { big->SetAsLargeInt(-10'000'000'000LL); }, ""},
        {x, [&] { x->SetAsFloat(2.75); }, "2.75 is not a valid value for field 'X'. The allowed range is 0.5 to 2.5"},
        {x, [&] { x->SetText("0.5"); }, ""},
        {bcd, [&] { bcd->SetText("12.35"); }, "12.35 is not a valid value for field 'BCD'. The allowed range is 0 to 12.34"},
        {bcd, [&] { bcd->SetAsFloat(-0.01); }, "-0.01 is not a valid value for field 'BCD'. The allowed range is 0 to 12.34"},
        {bcd, [&] { bcd->SetText("12.34"); }, ""},
    };
    for (const Case& c : cases) {
        const std::string before = c.field->GetAsString();
        const std::string got = error(c.write);
        if (c.error.empty()) {
            EXPECT_EQ(got, "no error") << c.field->GetFieldName();
        } else {
            EXPECT_EQ(got, c.error);
            EXPECT_EQ(c.field->GetAsString(), before) << "a refused value leaves the field as it was";
        }
    }
    // Null is no value and passes.
    i->Clear();
    EXPECT_TRUE(i->IsNull());
}

TEST(FieldReadOnly, AChangeIsALayoutNoticeAndAnEditingLinkStopsEditingTheField)
{
    auto ds = dbtest::MakeRows(2);
    db::TDataSource source;
    source.SetDataSet(ds.get());
    dbtest::RecordingLink watcher;
    watcher.SetDataSource(&source);
    db::TFieldDataLink link;
    int editingChanges = 0;
    link.OnEditingChange = db::TFieldDataLink::TLinkEvent::FromFunction([&](db::TFieldDataLink*) { ++editingChanges; });
    link.SetFieldName("NAME");
    link.SetDataSource(&source);
    ds->Edit();
    ASSERT_TRUE(link.FieldEditing());
    editingChanges = 0;
    watcher.Take();

    db::TField* name = ds->FieldByName("NAME");
    name->SetReadOnly(true);
    EXPECT_EQ(watcher.Take(), (dbtest::Log{"layout"}));
    EXPECT_FALSE(link.FieldEditing());
    EXPECT_FALSE(link.CanModify());
    EXPECT_EQ(editingChanges, 1);
    name->SetReadOnly(true); // unchanged: no notice
    EXPECT_TRUE(watcher.Take().empty());
    name->SetReadOnly(false);
    EXPECT_TRUE(link.FieldEditing());
    EXPECT_EQ(editingChanges, 2);
}
