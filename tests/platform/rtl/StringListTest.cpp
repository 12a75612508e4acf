#include <gtest/gtest.h>

#include "platform/rtl/Stream.h"
#include "platform/rtl/StringList.h"
#include "support/TempDir.h"

using namespace rtl;

namespace {

std::vector<std::string> Items(const TStrings& list)
{
    std::vector<std::string> v;
    for (int i = 0; i < list.GetCount(); ++i) v.push_back(list[i]);
    return v;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(StringList, AddInsertDeleteAndObjects)
{
    TStringList list;
    int a = 1, b = 2;
    EXPECT_EQ(list.Add("one"), 0);
    EXPECT_EQ(list.AddObject("two", &a), 1);
    list.Insert(0, "zero");
    list.InsertObject(3, "three", &b);
    EXPECT_EQ(Items(list), (Lines{"zero", "one", "two", "three"}));
    EXPECT_EQ(list.GetObjects(2), &a);
    EXPECT_EQ(list.IndexOfObject(&b), 3);
    EXPECT_EQ(list.IndexOf("TWO"), 2); // case ignored by default
    EXPECT_EQ(list.IndexOf("four"), -1);

    list.Move(3, 0);
    EXPECT_EQ(Items(list), (Lines{"three", "zero", "one", "two"}));
    EXPECT_EQ(list.GetObjects(0), &b); // the object moves with its string
    list.Exchange(0, 3);
    EXPECT_EQ(list.GetObjects(3), &b);
    list.SetStrings(1, "nil");
    list.Delete(0);
    EXPECT_EQ(Items(list), (Lines{"nil", "one", "three"}));

    try {
        list.Delete(3);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message, "List index out of bounds (3)");
    }
    EXPECT_THROW(list.GetStrings(-1), EListError);
    EXPECT_THROW(list.Insert(5, "x"), EListError);
    EXPECT_EQ(&list.StringAt(1), &list.StringAt(1)); // the list's own string, not a copy
    EXPECT_EQ(list.StringAt(2), "three");
    EXPECT_THROW(list.StringAt(3), EListError);
    EXPECT_THROW(list.StringAt(-1), EListError);
}

TEST(StringList, TextWithEitherLineBreak)
{
    TStringList list;
    list.SetText("a\r\nb\nc\rd\r\n");
    EXPECT_EQ(Items(list), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(list.GetText(), "a\r\nb\r\nc\r\nd\r\n");
    list.SetText("x\n\ny");
    EXPECT_EQ(Items(list), (Lines{"x", "", "y"}));
    list.SetText("");
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetText(), "");
    list.SetLineBreak("\n");
    list.SetText("p\r\nq");
    EXPECT_EQ(list.GetText(), "p\nq\n");
}

TEST(StringList, CommaAndDelimitedText)
{
    TStringList list;
    list.Add("plain");
    list.Add("with blank");
    list.Add("say \"hi\"");
    list.Add("a,b");
    list.Add("");
    EXPECT_EQ(list.GetCommaText(), "plain,\"with blank\",\"say \"\"hi\"\"\",\"a,b\",");

    TStringList back;
    back.SetCommaText(list.GetCommaText());
    EXPECT_EQ(Items(back), Items(list));

    // Blanks separate unquoted items unless the delimiter is strict.
    back.SetCommaText(" x y , z");
    EXPECT_EQ(Items(back), (Lines{"x", "y", "z"}));
    back.SetDelimiter(';');
    back.SetStrictDelimiter(true);
    back.SetDelimitedText("red;dark green;\"a;b\"");
    EXPECT_EQ(Items(back), (Lines{"red", "dark green", "a;b"}));
    EXPECT_EQ(back.GetDelimitedText(), "red;\"dark green\";\"a;b\"");

    TStringList single;
    single.Add("");
    EXPECT_EQ(single.GetCommaText(), "\"\"");
    single.SetCommaText("\"\"");
    EXPECT_EQ(Items(single), (Lines{""}));
}

TEST(StringList, NamesAndValues)
{
    TStringList list;
    list.Add("Port=COM1");
    list.Add("Baud=9600");
    list.Add("novalue");
    EXPECT_EQ(list.GetNames(0), "Port");
    EXPECT_EQ(list.GetNames(2), "");
    EXPECT_EQ(list.GetValues("baud"), "9600");
    EXPECT_EQ(list.GetValues("Parity"), "");
    EXPECT_EQ(list.GetValueFromIndex(0), "COM1");
    list.SetValues("Port", "COM2");
    list.SetValues("Parity", "N");
    EXPECT_EQ(Items(list), (Lines{"Port=COM2", "Baud=9600", "novalue", "Parity=N"}));
    list.SetValues("Baud", "");
    EXPECT_EQ(list.IndexOfName("Baud"), -1);
    EXPECT_EQ(list.GetCount(), 3);
}

TEST(StringList, SortedWithDuplicatesAndCase)
{
    TStringList list;
    list.SetSorted(true);
    list.Add("pear");
    list.Add("Apple");
    list.Add("banana");
    // clang-format off
    list.Add("\xE9" "clair");  // sorts with e, not after z
    list.Add("zucchini");
    EXPECT_EQ(Items(list), (Lines{"Apple", "banana", "\xE9" "clair", "pear", "zucchini"}));
    // clang-format on
    int index = -1;
    EXPECT_TRUE(list.Find("BANANA", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find("cherry", index));
    EXPECT_EQ(index, 2);

    // dupIgnore: the old index, nothing added.
    EXPECT_EQ(list.Add("apple"), 0);
    EXPECT_EQ(list.GetCount(), 5);
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add("PEAR"), EListError);
    list.SetDuplicates(dupAccept);
    EXPECT_EQ(list.Add("PEAR"), 4);
    EXPECT_EQ(list.GetCount(), 6);
    EXPECT_THROW(list.Insert(0, "x"), EListError);
    EXPECT_THROW(list.SetStrings(0, "x"), EListError);

    // Case-sensitive lists keep "a" and "A" apart and order lower case first.
    TStringList cs;
    cs.SetCaseSensitive(true);
    cs.SetSorted(true);
    cs.SetDuplicates(dupError);
    cs.Add("b");
    cs.Add("A");
    cs.Add("a");
    EXPECT_EQ(Items(cs), (Lines{"a", "A", "b"}));
    EXPECT_EQ(cs.IndexOf("A"), 1);

    TStringList custom;
    custom.SetCommaText("10,9,100");
    custom.CustomSort([](TStringList& l, int a, int b) {
        return std::stoi(l.GetStrings(a)) - std::stoi(l.GetStrings(b));
    });
    EXPECT_EQ(Items(custom), (Lines{"9", "10", "100"}));
}

struct ChangeCounter {
    int changing = 0;
    int changed = 0;
    int countAtChange = -1;
    void OnChanging(TObject*) { ++changing; }
    void OnChange(TObject* sender)
    {
        ++changed;
        countAtChange = static_cast<TStringList*>(sender)->GetCount();
    }
};

TEST(StringList, ChangeEventsAndUpdateBrackets)
{
    TStringList list;
    ChangeCounter counter;
    list.OnChanging = TNotifyEvent(&counter, &ChangeCounter::OnChanging);
    list.OnChange = TNotifyEvent(&counter, &ChangeCounter::OnChange);

    list.Add("a");
    EXPECT_EQ(counter.changing, 1);
    EXPECT_EQ(counter.changed, 1);
    EXPECT_EQ(counter.countAtChange, 1);

    // One pair of notices for a whole bracket, however many changes it holds.
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.SetText("x\ny\nz");
    list.EndUpdate();
    EXPECT_EQ(counter.changed, 1);
    list.EndUpdate();
    EXPECT_EQ(counter.changing, 2);
    EXPECT_EQ(counter.changed, 2);
    EXPECT_EQ(counter.countAtChange, 3);
    list.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(counter.changed, 2);

    TStringList copy;
    copy.Assign(&list);
    EXPECT_EQ(Items(copy), (Lines{"x", "y", "z"}));
    EXPECT_TRUE(copy.Equals(list));
    EXPECT_THROW(copy.Assign(nullptr), EConvertError);
    copy.AddStrings(copy); // adding a list to itself doubles it once
    EXPECT_EQ(Items(copy), (Lines{"x", "y", "z", "x", "y", "z"}));
}

TEST(StringList, StreamsAndFiles)
{
    TStringList list;
    list.SetText("first\nd\xB5V");
    TMemoryStream stream;
    list.SaveToStream(stream);
    EXPECT_EQ(stream.ToString(), "first\r\nd\xB5V\r\n");

    stream.SetPosition(7); // loading reads from the position on
    TStringList tail;
    tail.LoadFromStream(stream);
    EXPECT_EQ(Items(tail), (Lines{"d\xB5V"}));

    testsupport::TempDir dir;
    const std::string path = dir.File("list.txt");
    list.SaveToFile(path);
    TStringList fromFile;
    fromFile.LoadFromFile(path);
    EXPECT_EQ(Items(fromFile), Items(list));
    EXPECT_THROW(fromFile.LoadFromFile(dir.File("missing.txt")), EOSError);
}
