// The formula compiler: tokens, sections, the compiled items of statements (with
// the usual grouping of arithmetic), every error with its code and place, the
// limits, and the error list's overflow.
#include <gtest/gtest.h>

#include "FormulaTestSupport.h"

namespace {

std::string Tokens(const char *text)
{
    TCompiler c;
    std::string out;
    const char *p = text;
    FormulaToken t;
    while (c.NextToken(p, t)) {
        if (!out.empty())
            out += " ";
        out += std::to_string(t.Kind) + ":" + t.Text;
        if (t.Kind == TokenOperator)
            out += "#" + std::to_string(t.Sub);
    }
    return out;
}

TEST(FormulaCompiler, Tokens)
{
    struct Case {
        const char *text, *tokens;
    } cases[] = {
        {"1.2.3", "1:1.2 1:3"},
        {".5 12", "1:.5 1:12"},
        {"a<=b", "257:A 2048:<=#9 257:B"},
        {"x&&y||!z", "257:X 2048:&&#14 257:Y 2048:||#15 2048:!#2 257:Z"},
        {"a&b", "257:A -1:& 257:B"},
        {"a==b!=c", "257:A 2048:==#12 257:B 2048:!=#13 257:C"},
        {"ma(close,5)", "257:MA 2048:(#0 257:CLOSE 4096:, 1:5 2048:)#1"},
        {")=", "2048:)#1 2048:=#17"},
        {"k:v", "257:K 4096:: 257:V"},
        {"A1b2 $", "257:A1B2 -1:$"},
        {"\t x \r\n y", "257:X"},
        {"\xC2\xF2 x", "-1:\xC2 -1:\xF2 257:X"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
}

TEST(FormulaCompiler, Sections)
{
    TCompiler c;
    std::string text = "INDEXDEF\nNAME: LONGNAME9\nTITLE,title text\nKEY:ABCDE\nEND\n"
                       "PARAM\nN1 1 100 12\nN2\nN3 min 2 , max 50\nEND\n"
                       "RESULT\nR1\nR2 bar\nR3 LINE TBAR\nR4 candle\nEND\n"
                       "VAR\nVERYLONGNAME\nEND\nBEGIN\nVERYLONG = N1\nEND\n";
    c.SetSource(text.c_str());
    c.Compile();
    EXPECT_EQ(c.Errors.ErrorCount, 0);
    EXPECT_STREQ(c.Name, " LONGNAM");
    EXPECT_STREQ(c.Title, "title text");
    EXPECT_STREQ(c.Key, "ABCD");
    ASSERT_EQ(c.ParamCount, 3);
    EXPECT_EQ(c.ParamDescs[0].Min, 1);
    EXPECT_EQ(c.ParamDescs[0].Max, 100);
    EXPECT_EQ(c.ParamDescs[0].Default, 12);
    EXPECT_EQ(c.ParamDescs[1].Min, 0);
    EXPECT_EQ(c.ParamDescs[1].Max, 10000);
    EXPECT_EQ(c.ParamDescs[1].Default, 5);
    EXPECT_EQ(c.ParamDescs[2].Min, 2);
    EXPECT_EQ(c.ParamDescs[2].Max, 50);
    EXPECT_EQ(c.ParamDescs[2].Default, 5);
    ASSERT_EQ(c.ResultCount, 4);
    EXPECT_EQ(c.ResultStyles[0], StyleNone);
    EXPECT_EQ(c.ResultStyles[1], StyleBar);
    EXPECT_EQ(c.ResultStyles[2], StyleLine);
    EXPECT_EQ(c.ResultStyles[3], StyleCandle);
    ASSERT_EQ(c.VarCount, 1);
    EXPECT_STREQ(c.Vars[0].Name, "VERYLONG");
    EXPECT_EQ(c.LookupVariable("VERYLONG"), c.Vars[0].Slot);
    EXPECT_EQ(c.LookupField("R2"), FieldResultLine + 1);
    EXPECT_EQ(c.LookupField("WEEKDAY"), FieldWeekday);
    EXPECT_TRUE(c.IsReservedName("CANDLE", 0));
    EXPECT_TRUE(c.IsReservedName("R1", 1));
    EXPECT_FALSE(c.IsReservedName("R1", 0));
}

TEST(FormulaCompiler, CompiledForms)
{
    struct Case {
        const char *statement, *items;
    } cases[] = {
        // Arithmetic groups left to right, tighter operators first.
        {"X = A - B * C - D", "t1=B*C; t2=A-t1; t3=t2-D; t4=X=t3"},
        {"X = A - B - C", "t1=A-B; t2=t1-C; t3=X=t2"},
        {"X = A / B * C", "t1=A/B; t2=t1*C; t3=X=t2"},
        {"X = (A - B) * C", "t1=A-B; t2=t1*C; t3=X=t2"},
        {"X = A + B % 3", "t1=B%3; t2=A+t1; t3=X=t2"},
        {"X = IF(A > B * 2 && C > 100, 1, 2)",
         "IF[t1=B*2; t2=A>t1; t3=C>100; t4=t2&&t3; arg0=t4; |; arg1=1; |; arg2=2; |]; t5=ret; t6=X=t5"},
        {"X = IF(!(A > B), 1, 2)", "IF[t1=A>B; t2=!t1; arg0=t2; |; arg1=1; |; arg2=2; |]; t3=ret; t4=X=t3"},
        {"X = MA(CLOSE, A) - MA(CLOSE, 10)",
         "MA[arg0=3; arg1=A]; t1=ret; MA[arg0=3; arg1=10]; t2=ret; t3=t1-t2; t4=X=t3"},
        {"X = REF(X, 1) + ABS(V)", "REF[arg0=256; arg1=1]; t1=ret; ABS[arg0=V]; t2=ret; t3=t1+t2; t4=X=t3"},
        {"V = X = 5", "t1=X=5; t2=V=t1"},
        {"X = 1.2.3 * 0", ""},
    };
    for (const Case &k : cases) {
        TCompiler c;
        std::string text = Formula(k.statement);
        c.SetSource(text.c_str());
        c.Compile();
        if (!*k.items) {
            EXPECT_GT(c.Errors.ErrorCount, 0) << k.statement;
            continue;
        }
        EXPECT_EQ(c.Errors.ErrorCount, 0) << k.statement;
        EXPECT_EQ(Listing(c).Block(c.Body), k.items) << k.statement;
    }
}

TEST(FormulaCompiler, ErrorsWithCodeAndPlace)
{
    // The statement is line 14 of the text.
    struct Case {
        const char *statement;
        int code, column, kind;
    } cases[] = {
        {"X = A $ + 1", FormulaInvalidChar, 7, ErrorKindWarning},
        {"X = CLOSE + 1", FormulaUnknownName, 5, ErrorKindError},
        {"X = NOSUCH(1)", FormulaUnknownName, 5, ErrorKindError},
        {"X = A + 1)", FormulaParenthesis, 10, ErrorKindError},
        {"X = ABS(A + 1", FormulaParenthesis, 5, ErrorKindError},
        {"X = ABS 1", FormulaParenthesis, 5, ErrorKindError},
        {"X = A & B", FormulaBadOperator, 7, ErrorKindError},
        {"X = A > B", FormulaTypeMismatch, 3, ErrorKindError},
        {"X = 0 - - 5", FormulaMissingOperand, 9, ErrorKindError},
        {"X = (A + 1", FormulaMissingOperand, 10, ErrorKindError},
        {"X = A B", FormulaMissingOperand, 7, ErrorKindError},
        {"X = -5", FormulaMissingOperand, 5, ErrorKindError},
        {"X = MA(V, 5)", FormulaNotAField, 8, ErrorKindError},
        {"X = MA(5, 5)", FormulaNotAField, 8, ErrorKindError},
        {"X = MA(CLOSE + 1, 5)", FormulaNotAField, 8, ErrorKindError},
        {"X = MAX(A)", FormulaArgumentCount, 5, ErrorKindError},
        {"X = IF(A > 1, 2)", FormulaArgumentCount, 5, ErrorKindError},
        {"X = MA(CLOSE, 5, 6)", FormulaArgumentCount, 5, ErrorKindError},
        {"X = A, B", FormulaMissingOperand, 6, ErrorKindError},
    };
    for (const Case &k : cases) {
        TCompiler c;
        std::string text = Formula(k.statement);
        c.SetSource(text.c_str());
        c.Compile();
        ASSERT_EQ(c.Errors.Count, 1) << k.statement;
        const ErrorEntry &e = c.Errors.Entries[0];
        EXPECT_EQ(e.Code, k.code) << k.statement;
        EXPECT_EQ(e.Kind, k.kind) << k.statement;
        EXPECT_EQ(e.Line, 14) << k.statement;
        EXPECT_EQ(e.Column, k.column) << k.statement;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%s,Code=%d", k.kind == 1 ? "Error" : "Warnning", k.code);
        EXPECT_STREQ(e.Text, expected);
    }

    // Declarations: a reserved or repeated name, and a BEGIN without END.
    struct Text {
        const char *text;
        int code, line, column;
    } texts[] = {
        {"PARAM\nCLOSE 1 2 3\nEND\n", FormulaReservedName, 2, 1},
        {"PARAM\nN\nEND\nRESULT\n  N LINE\nEND\n", FormulaReservedName, 5, 3},
        {"RESULT\nX\nX\nEND\n", FormulaReservedName, 3, 1},
        {"RESULT\nX\nEND\nBEGIN\nX = 1\n", FormulaNoEnd, 6, 1},
    };
    for (const Text &k : texts) {
        TCompiler c;
        c.SetSource(k.text);
        c.Compile();
        ASSERT_EQ(c.Errors.Count, 1) << k.text;
        EXPECT_EQ(c.Errors.Entries[0].Code, k.code) << k.text;
        EXPECT_EQ(c.Errors.Entries[0].Line, k.line) << k.text;
        EXPECT_EQ(c.Errors.Entries[0].Column, k.column) << k.text;
    }
}

TEST(FormulaCompiler, EveryLimitIsAnError)
{
    auto declarations = [](const char *section, int n, const char *prefix) {
        std::string text = std::string(section) + "\n";
        for (int i = 0; i < n; ++i)
            text += prefix + std::to_string(i) + "\n";
        return text + "END\n";
    };
    auto firstError = [](const std::string &text) {
        TCompiler c;
        c.SetSource(text.c_str());
        c.Compile();
        return c.Errors.Count ? int(c.Errors.Entries[0].Code) : 0;
    };
    EXPECT_EQ(firstError(declarations("PARAM", 8, "P")), 0);
    EXPECT_EQ(firstError(declarations("PARAM", 9, "P")), FormulaTooManyNames);
    EXPECT_EQ(firstError(declarations("RESULT", 9, "R")), FormulaTooManyNames);
    EXPECT_EQ(firstError(declarations("VAR", 16, "V")), 0);
    EXPECT_EQ(firstError(declarations("VAR", 17, "V")), FormulaTooManyNames);
    EXPECT_EQ(firstError("PARAM\nABCDEFGHIJK\nEND\n"), 0);
    EXPECT_EQ(firstError("PARAM\nABCDEFGHIJKL\nEND\n"), FormulaNameTooLong);

    // 128 tokens in a statement, then 129.
    std::string sum = "X = ABS(1)";
    for (int i = 0; i < 61; ++i)
        sum += "+1";
    EXPECT_EQ(firstError(Formula(sum)), 0);
    EXPECT_EQ(firstError(Formula(sum + "+1")), FormulaTooManyTokens);

    // 512 value slots: every literal and every result takes one.
    std::string many;
    for (int i = 0; i < 130; ++i)
        many += "X = 1 + 2\n";
    EXPECT_EQ(firstError(Formula(many)), FormulaTooManySlots);

    // 512 items in the body (three per statement: call, copy, assignment).
    std::string items;
    for (int i = 0; i < 171; ++i)
        items += "X = IF(V, V, V)\n";
    EXPECT_EQ(firstError(Formula(items)), FormulaTooManyItems);

    // Deep nesting stays within the token limit and compiles.
    std::string deep = "X = ";
    for (int i = 0; i < 30; ++i)
        deep += "ABS(";
    deep += "1";
    for (int i = 0; i < 30; ++i)
        deep += ")";
    EXPECT_EQ(firstError(Formula(deep)), 0);
}

TEST(FormulaCompiler, ErrorListKeeps49Entries)
{
    std::string statements;
    for (int i = 0; i < 50; ++i)
        statements += "X = NOSUCH\n";
    TCompiler c;
    std::string text = Formula(statements);
    c.SetSource(text.c_str());
    c.Compile();
    EXPECT_EQ(c.Errors.Count, 49);
    EXPECT_EQ(c.Errors.ErrorCount, 50);
    EXPECT_EQ(c.Errors.Overflow.Kind, 1);
    EXPECT_EQ(c.Errors.Overflow.Code, 0);
    EXPECT_STREQ(c.Errors.Overflow.Text, "Too many errors!");
    EXPECT_STREQ(c.Errors.Entries[48].Text, "Error,Code=7");

    // Reset forgets everything.
    c.Reset();
    EXPECT_EQ(c.Errors.Count, 0);
    EXPECT_EQ(c.Errors.ErrorCount, 0);
    EXPECT_EQ(c.ResultCount, 0);
    EXPECT_TRUE(c.Slots.empty());
    EXPECT_TRUE(c.Blocks.empty());
}

} // namespace
