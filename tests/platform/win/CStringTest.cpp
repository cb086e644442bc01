#include "platform/win/CString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace win;

// GBK characters whose trail byte is an ASCII character: "\xB2\x61" ends in 'a',
// "\x81\x5C" ends in '\'.

TEST(CString, PartsAreClampedToTheText)
{
    CString s("abcdef");
    struct Case {
        CString got;
        const char *expect;
    } cases[] = {
        {s.Mid(2), "cdef"},     {s.Mid(-1), "abcdef"},  {s.Mid(6), ""},        {s.Mid(10), ""},
        {s.Mid(2, 2), "cd"},    {s.Mid(4, 10), "ef"},   {s.Mid(1, -1), ""},    {s.Mid(-2, 3), "abc"},
        {s.Left(3), "abc"},     {s.Left(-1), ""},       {s.Left(10), "abcdef"},
        {s.Right(2), "ef"},     {s.Right(10), "abcdef"}, {s.Right(-3), ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].got, cases[i].expect) << "case " << i;
    EXPECT_EQ(s.GetAt(0), 'a');
    EXPECT_EQ(s.GetAt(6), '\0');
    EXPECT_EQ(s[-1], '\0');
    s.SetAt(6, 'x');
    s.SetAt(1, 'B');
    EXPECT_EQ(s, "aBcdef");
}

TEST(CString, SearchesMatchWholeCharacters)
{
    CString s("a,b,,c");
    EXPECT_EQ(s.Find(','), 1);
    EXPECT_EQ(s.Find(',', 2), 3);
    EXPECT_EQ(s.Find(',', -5), 1);
    EXPECT_EQ(s.Find(',', 100), -1);
    EXPECT_EQ(s.Find(",,"), 3);
    EXPECT_EQ(s.Find("", 6), 6);
    EXPECT_EQ(s.Find("", 7), -1);
    EXPECT_EQ(s.Find(static_cast<LPCTSTR>(nullptr)), -1);
    EXPECT_EQ(s.ReverseFind(','), 4);
    EXPECT_EQ(s.ReverseFind('x'), -1);

    CString g("\xB2\x61" "a\\" "\x81\x5C");
    EXPECT_EQ(g.Find('a'), 2);
    EXPECT_EQ(g.Find("\\"), 3);
    EXPECT_EQ(g.ReverseFind('\\'), 3);
    EXPECT_EQ(CString("\xB2\x61").Find('a'), -1);
}

TEST(CString, FormatOfAnyLengthAndOfItself)
{
    CString s;
    std::string longText(10000, 'y');
    s.Format("[%s]%d", longText.c_str(), 42);
    EXPECT_EQ(s.GetLength(), 10004);
    EXPECT_EQ(s.Right(4), "y]42");

    s = "x";
    s.Format("%s%s%d", static_cast<LPCTSTR>(s), static_cast<LPCTSTR>(s), 1);
    EXPECT_EQ(s, "xx1");

    CString question("确认撤除单号为%d的委托?");
    s.Format(question, 12345);
    EXPECT_EQ(s, "确认撤除单号为12345的委托?");
}

TEST(CString, BufferAccessNeverReadsPastTheBuffer)
{
    CString s("abc");
    std::strcpy(s.GetBuffer(10), "hello");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "hello");
    EXPECT_EQ(s.GetLength(), 5);

    s.GetBuffer(0)[0] = 'J';
    s.ReleaseBuffer(-1);
    EXPECT_EQ(s, "Jello");

    // A buffer filled without a terminating NUL ends at its size.
    s = "abcd";
    std::memset(s.GetBuffer(8), 'z', 8);
    s.ReleaseBuffer();
    EXPECT_EQ(s, "zzzzzzzz");
    s.ReleaseBuffer(100);
    EXPECT_EQ(s.GetLength(), 8);
    s.ReleaseBuffer(3);
    EXPECT_EQ(s, "zzz");
    std::memcpy(s.GetBufferSetLength(5), "12345", 5);
    EXPECT_EQ(s, "12345");
}

TEST(CString, EditingWholeCharacters)
{
    CString s("a-b-c");
    EXPECT_EQ(s.Replace('-', '+'), 2);
    EXPECT_EQ(s, "a+b+c");
    EXPECT_EQ(s.Replace("+", "--"), 2);
    EXPECT_EQ(s, "a--b--c");
    EXPECT_EQ(s.Replace("", "x"), 0);
    EXPECT_EQ(s.Replace("--", nullptr), 2);
    EXPECT_EQ(s, "abc");

    CString g("\xB2\x61" "a");
    EXPECT_EQ(g.Replace('a', 'b'), 1);
    EXPECT_EQ(g, "\xB2\x61" "b");
    EXPECT_EQ(g.Remove('b'), 1);
    EXPECT_EQ(g, "\xB2\x61");
    EXPECT_EQ(g.Replace("a", "!"), 0);

    s = "abc";
    EXPECT_EQ(s.Insert(1, 'X'), 4);
    EXPECT_EQ(s.Insert(100, "YZ"), 6);
    EXPECT_EQ(s.Insert(-3, "0"), 7);
    EXPECT_EQ(s, "0aXbcYZ");
    EXPECT_EQ(s.Delete(-1), 6);
    EXPECT_EQ(s.Delete(1, 100), 1);
    EXPECT_EQ(s, "a");
    EXPECT_EQ(s.Delete(5, 1), 1);
}

TEST(CString, TrimmingCaseAndComparison)
{
    CString s("  \t x y \r\n");
    s.TrimLeft();
    EXPECT_EQ(s, "x y \r\n");
    s.TrimRight();
    EXPECT_EQ(s, "x y");
    CString wide("\xA1\xA1" "x ");
    wide.TrimRight();
    EXPECT_EQ(wide, "\xA1\xA1" "x");

    CString u("ab\xB2\x61" "z");
    u.MakeUpper();
    EXPECT_EQ(u, "AB\xB2\x61" "Z");
    u.MakeLower();
    EXPECT_EQ(u, "ab\xB2\x61" "z");
    EXPECT_EQ(CString("Pre Order 3").CompareNoCase("PRE ORDER 3"), 0);
    EXPECT_NE(CString("\xB2\x61").CompareNoCase("\xB2\x41"), 0);
    EXPECT_LT(CString("abc").Compare("abd"), 0);

    // Equal texts in different buffers are equal, whichever side is the literal.
    CString a("abc"), b(std::string("abc").c_str());
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a == "abc");
    EXPECT_TRUE("abc" == a);
    EXPECT_TRUE(a != "abd");
    EXPECT_TRUE(a < "abd");
    EXPECT_TRUE("abd" > a);
    EXPECT_TRUE(a <= b && a >= b);
    EXPECT_TRUE(CString("\xB2\x61") > "z");
    EXPECT_EQ("a" + CString("b") + 'c' + "d", "abcd");
    EXPECT_EQ(CString('-', 3), "---");
    EXPECT_STREQ(static_cast<LPCTSTR>(CString(static_cast<LPCTSTR>(nullptr))), "");
}

TEST(CString, StringResources)
{
    RegisterStringResource(103, "Windows 通信端口初始化失败。");
    CString s("old");
    EXPECT_TRUE(s.LoadString(103));
    EXPECT_EQ(s, "Windows 通信端口初始化失败。");
    EXPECT_FALSE(s.LoadString(65000));
    EXPECT_TRUE(s.IsEmpty());
}
