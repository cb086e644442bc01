// TCompiler: statements, tokens, the sections of a formula text and the
// operator-precedence compilation of the BEGIN statements into items.
#include "lumon/formula/TCompiler.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/MyStack.h"

namespace {

const char *const Keywords[] = {"INDEXDEF", "PARAM", "RESULT", "VAR",  "BEGIN", "END",  "BOOL", "NUMBER",
                                "TRUE",     "FALSE", "LINE",   "BAR",  "CANDLE", "TBAR", "NONE"};
const char *const FieldNames[FieldCount] = {"OPEN", "HIGH",    "LOW",     "CLOSE",  "VOLUME", "AMOUNT",
                                            "RAISE", "DOWN",   "RECORDS", "RECPTR", "LOTS",   "DAY",
                                            "MONTH", "YEAR",   "WEEKDAY", "HOUR",   "MINUTE"};
const char *const ScalarNames[ScalarCount] = {"IF", "ABS", "MAX", "MIN", "SIGN", "REVERSE",
                                              "EXP", "LN", "LOG", "POW", "SQRT"};
const int ScalarArgs[ScalarCount] = {3, 1, 2, 2, 1, 1, 1, 1, 1, 2, 1};
const char *const SeriesNames[SeriesCount] = {"REF", "SUM",   "AVG",   "MA",   "EMA", "NMAX",
                                              "NMIN", "RSORDN", "AVGEX", "SQEX", "STDEX"};
const char *const OperatorTexts[OperatorCount] = {"(", ")", "!", "*", "/", "%", "+", "-", "<",
                                                  "<=", ">", ">=", "==", "!=", "&&", "||", "^", "="};
// A smaller number binds tighter.
const int Precedence[OperatorCount] = {0, 0, 1, 2, 2, 2, 3, 3, 4, 4, 4, 4, 5, 5, 6, 7, 8, 9};
// The style words of a RESULT line, by style number.
const char *const StyleWords[] = {"NONE", "LINE", "BAR", "TBAR", "CANDLE"};

// Operator-stack entries: the sentinel of a statement or an argument, an open
// parenthesis of the text, or an operator.
constexpr uint32_t StackSentinel = 0;
constexpr uint32_t StackParen = 1;
constexpr uint32_t StackOperator = 2;

template <size_t N>
int IndexOf(const char *const (&names)[N], const std::string &word)
{
    for (size_t i = 0; i < N; ++i)
        if (word == names[i])
            return int(i);
    return -1;
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsOperatorChar(char c)
{
    return c && std::strchr("()*+-/%&|^!<=>", c) != nullptr;
}

float ParseNumber(const std::string &text)
{
    float value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too many digits for a float: infinite, or 0 for a tiny fraction.
        bool whole = false;
        for (char c : text) {
            if (c == '.')
                break;
            whole = whole || (c >= '1' && c <= '9');
        }
        return whole ? HUGE_VALF : 0.0f;
    }
    return ec == std::errc() ? value : 0.0f;
}

bool NameIs(const FormulaName &entry, const char *name)
{
    return std::strncmp(entry.Name, name, FormulaNameSize) == 0;
}

} // namespace

TCompiler::TCompiler()
{
    Reset();
}

void TCompiler::Reset()
{
    Slots.clear();
    Slots.reserve(FormulaMaxSlots);
    m_Indicator = nullptr;
    ParamCount = ResultCount = VarCount = 0;
    m_Record = 0;
    m_SeriesUsed = 0;
    m_ValuesField = -1;
    m_PassReady = false;
    m_PassBinding = 0;
    Errors.Clear();
    Blocks.clear();
    Body = FormulaBlock();
    Name[0] = Title[0] = Key[0] = 0;
}

void TCompiler::SetSource(const char *text)
{
    m_Source = text;
}

void TCompiler::Error(int kind, int code, int offset)
{
    int line = 0, column = 0;
    if (Errors.Count < TErrorList::MaxEntries && m_Source && offset >= 0) {
        line = 1;
        int lineStart = 0;
        for (int i = 0; i < offset && m_Source[i]; ++i) {
            if (m_Source[i] == '\n' || (m_Source[i] == '\r' && m_Source[i + 1] != '\n')) {
                ++line;
                lineStart = i + 1;
            }
        }
        column = offset - lineStart + 1;
    }
    Errors.Add(kind, code, nullptr, line, column);
}

int TCompiler::NewSlot(uint16_t type, uint32_t bits, int offset)
{
    if (int(Slots.size()) >= FormulaMaxSlots) {
        Error(ErrorKindError, FormulaTooManySlots, offset);
        return -1;
    }
    Slots.push_back({type, bits});
    return int(Slots.size()) - 1;
}

const char *TCompiler::NextStatement(const char *pos, std::string &line, int &offset) const
{
    offset = int(pos - m_Source);
    const char *end = pos;
    while (*end && *end != '\r' && *end != '\n')
        ++end;
    line.assign(pos, end);
    while (*end == '\r' || *end == '\n')
        ++end;
    return end;
}

bool TCompiler::NextToken(const char *&pos, FormulaToken &token) const
{
    while (*pos == ' ' || *pos == '\t')
        ++pos;
    char c = *pos;
    if (!c || c == '\r' || c == '\n')
        return false;
    const char *start = pos;
    token.Sub = 0;
    token.Value = 0;
    token.Offset = 0;
    if (IsDigit(c) || c == '.') {
        int dots = 0;
        const char *end = pos;
        while (IsDigit(*pos) || *pos == '.') {
            if (*pos == '.' && ++dots == 2) {
                ++pos; // the second dot ends the number and is dropped
                break;
            }
            end = ++pos;
        }
        token.Kind = TokenNumber;
        token.Text = std::string_view(start, size_t(end - start));
    } else if (IsOperatorChar(c)) {
        token.Text.assign(1, c);
        ++pos;
        if (c != ')' && (*pos == '=' || *pos == '&' || *pos == '|'))
            token.Text.push_back(*pos++);
        int op = IndexOf(OperatorTexts, token.Text);
        token.Kind = op < 0 ? TokenInvalid : TokenOperator;
        token.Sub = op < 0 ? 0 : op;
    } else if (IsLetter(c)) {
        while (IsLetter(*pos) || IsDigit(*pos))
            ++pos;
        token.Text = std::string_view(start, size_t(pos - start));
        for (char &ch : token.Text)
            if (ch >= 'a' && ch <= 'z')
                ch = char(ch - 'a' + 'A');
        token.Kind = TokenWord;
    } else if (c == ':' || c == ',') {
        ++pos;
        token.Kind = TokenSeparator;
        token.Text.assign(1, c);
    } else {
        ++pos;
        token.Kind = TokenInvalid;
        token.Text.assign(1, c);
    }
    return true;
}

bool TCompiler::IsReservedName(const char *name, int scope) const
{
    std::string word(name);
    if (IndexOf(Keywords, word) >= 0 || IndexOf(FieldNames, word) >= 0 || IndexOf(ScalarNames, word) >= 0 ||
        IndexOf(SeriesNames, word) >= 0)
        return true;
    for (int i = 0; i < ParamCount; ++i)
        if (NameIs(Params[i], name))
            return true;
    for (int i = 0; scope >= 1 && i < ResultCount; ++i)
        if (NameIs(Results[i], name))
            return true;
    for (int i = 0; scope >= 2 && i < VarCount; ++i)
        if (NameIs(Vars[i], name))
            return true;
    return false;
}

int TCompiler::LookupVariable(const char *name) const
{
    for (int i = 0; i < VarCount; ++i)
        if (NameIs(Vars[i], name))
            return Vars[i].Slot;
    for (int i = 0; i < ParamCount; ++i)
        if (NameIs(Params[i], name))
            return Params[i].Slot;
    for (int i = 0; i < ResultCount; ++i)
        if (NameIs(Results[i], name))
            return Results[i].Slot;
    return -1;
}

int TCompiler::LookupField(const char *name) const
{
    int field = IndexOf(FieldNames, std::string(name));
    if (field >= 0)
        return field;
    for (int i = 0; i < ResultCount; ++i)
        if (NameIs(Results[i], name))
            return FieldResultLine + i;
    return -1;
}

bool TCompiler::IsEndLine(const std::string &line) const
{
    const char *p = line.c_str();
    FormulaToken t;
    return NextToken(p, t) && t.Kind == TokenWord && t.Text == "END";
}

bool TCompiler::Compile()
{
    if (!m_Source)
        return true;
    const char *pos = m_Source;
    std::string line;
    int offset = 0;
    while (*pos) {
        const char *next = NextStatement(pos, line, offset);
        const char *p = line.c_str();
        FormulaToken t;
        pos = next;
        if (!NextToken(p, t) || t.Kind != TokenWord)
            continue;
        if (t.Text == "INDEXDEF")
            pos = ParseHeader(next);
        else if (t.Text == "PARAM")
            pos = ParseDeclarations(next, 0);
        else if (t.Text == "RESULT")
            pos = ParseDeclarations(next, 1);
        else if (t.Text == "VAR")
            pos = ParseDeclarations(next, 2);
        else if (t.Text == "BEGIN")
            pos = ParseBody(next);
    }
    return true;
}

const char *TCompiler::ParseHeader(const char *pos)
{
    std::string line;
    int offset = 0;
    while (*pos) {
        pos = NextStatement(pos, line, offset);
        if (IsEndLine(line))
            break;
        const char *p = line.c_str();
        FormulaToken key, separator;
        if (!NextToken(p, key) || key.Kind != TokenWord || !NextToken(p, separator) ||
            separator.Kind != TokenSeparator)
            continue;
        char *field = key.Text == "NAME" ? Name : key.Text == "TITLE" ? Title : key.Text == "KEY" ? Key : nullptr;
        int size = key.Text == "NAME" ? 8 : key.Text == "TITLE" ? 60 : 4;
        if (!field)
            continue;
        int n = GbkCutLength(p, int(std::strlen(p)), size);
        std::memcpy(field, p, size_t(n));
        field[n] = 0;
    }
    return pos;
}

const char *TCompiler::ParseDeclarations(const char *pos, int section)
{
    FormulaName *table = section == 0 ? Params : section == 1 ? Results : Vars;
    int &count = section == 0 ? ParamCount : section == 1 ? ResultCount : VarCount;
    const int capacity = section == 0 ? FormulaMaxParams : section == 1 ? FormulaMaxResults : FormulaMaxVars;
    std::string line;
    int offset = 0;
    while (*pos) {
        pos = NextStatement(pos, line, offset);
        const char *p = line.c_str();
        FormulaToken t;
        if (!NextToken(p, t) || t.Kind != TokenWord)
            continue;
        if (t.Text == "END")
            break;
        int at = offset + int(p - line.c_str()) - int(t.Text.size());
        if (section == 2 && t.Text.size() > 8)
            t.Text.resize(8);
        if (t.Text.size() >= size_t(FormulaNameSize)) {
            Error(ErrorKindError, FormulaNameTooLong, at);
            continue;
        }
        if (count >= capacity) {
            Error(ErrorKindError, FormulaTooManyNames, at);
            continue;
        }
        bool reserved = IsReservedName(t.Text.c_str(), section);
        int slot = NewSlot(SlotNumber, 0, at);
        if (slot < 0)
            continue;
        FormulaName &entry = table[count];
        entry = {uint16_t(slot), {}};
        std::memcpy(entry.Name, t.Text.c_str(), t.Text.size());
        int index = count++;
        if (reserved) {
            Error(ErrorKindError, FormulaReservedName, at);
            continue;
        }
        if (section == 0) {
            float values[3] = {0, 10000, 5};
            int read = 0;
            while (read < 3 && NextToken(p, t))
                if (t.Kind == TokenNumber)
                    values[read++] = ParseNumber(t.Text);
            ParamDescs[index] = {values[0], values[1], values[2]};
        } else if (section == 1) {
            ResultStyles[index] = 0;
            while (NextToken(p, t)) {
                int style = t.Kind == TokenWord ? IndexOf(StyleWords, t.Text) : -1;
                if (style >= 0) {
                    ResultStyles[index] = uint32_t(style);
                    break;
                }
            }
        }
    }
    return pos;
}

const char *TCompiler::ParseBody(const char *pos)
{
    std::string line;
    int offset = 0;
    while (*pos) {
        pos = NextStatement(pos, line, offset);
        if (IsEndLine(line))
            return pos;
        std::vector<FormulaToken> tokens;
        if (TokenizeStatement(line, offset, tokens) && !tokens.empty())
            CompileExpression(Body, tokens, 0, tokens.size(), false);
    }
    Error(ErrorKindWarning, FormulaNoEnd, int(pos - m_Source));
    return pos;
}

bool TCompiler::TokenizeStatement(const std::string &line, int offset, std::vector<FormulaToken> &tokens)
{
    const char *p = line.c_str();
    FormulaToken t;
    while (NextToken(p, t)) {
        t.Offset = offset + int(p - line.c_str()) - int(t.Text.size());
        if (t.Kind == TokenInvalid) {
            if (IsOperatorChar(t.Text[0])) {
                Error(ErrorKindError, FormulaBadOperator, t.Offset);
                return false;
            }
            Error(ErrorKindWarning, FormulaInvalidChar, t.Offset);
            continue;
        }
        if (tokens.size() >= size_t(FormulaMaxTokens)) {
            Error(ErrorKindError, FormulaTooManyTokens, t.Offset);
            return false;
        }
        size_t n = tokens.size();
        bool fieldPlace = n >= 2 && tokens[n - 2].Kind == TokenSeries && tokens[n - 1].Kind == TokenOperator &&
                          tokens[n - 1].Sub == OpOpen;
        if (fieldPlace) {
            // A series function's first argument names a field or result line.
            int field = t.Kind == TokenWord ? LookupField(t.Text.c_str()) : -1;
            if (field < 0) {
                Error(ErrorKindError, FormulaNotAField, t.Offset);
                return false;
            }
            int slot = NewSlot(SlotConstant, std::bit_cast<uint32_t>(float(field)), t.Offset);
            if (slot < 0)
                return false;
            t.Kind = TokenNumber;
            t.Sub = 1;
            t.Value = uint32_t(slot);
        } else if (t.Kind == TokenNumber) {
            int slot = NewSlot(SlotConstant, std::bit_cast<uint32_t>(ParseNumber(t.Text)), t.Offset);
            if (slot < 0)
                return false;
            t.Value = uint32_t(slot);
        } else if (t.Kind == TokenWord) {
            int slot = LookupVariable(t.Text.c_str());
            int scalar = IndexOf(ScalarNames, t.Text), series = IndexOf(SeriesNames, t.Text);
            if (slot >= 0) {
                t.Value = uint32_t(slot);
            } else if (scalar >= 0) {
                t.Kind = TokenScalar;
                t.Sub = scalar;
            } else if (series >= 0) {
                t.Kind = TokenSeries;
                t.Sub = series;
            } else {
                Error(ErrorKindError, FormulaUnknownName, t.Offset);
                return false;
            }
        }
        tokens.push_back(t);
    }
    return true;
}

bool TCompiler::Emit(FormulaBlock &block, const FormulaItem &item, int offset)
{
    if (block.Items.size() >= size_t(FormulaMaxItems)) {
        Error(ErrorKindError, FormulaTooManyItems, offset);
        return false;
    }
    block.Items.push_back(item);
    block.ArgsOnly = block.ArgsOnly && item.Kind == ItemArgStore;
    return true;
}

bool TCompiler::Reduce(FormulaBlock &block, MyStack &operands, int op, int offset)
{
    uint32_t rightType, right, leftType = 0, left = uint32_t(-1);
    if (!operands.Pop(rightType, right) || (op != OpNot && !operands.Pop(leftType, left))) {
        Error(ErrorKindError, FormulaMissingOperand, offset);
        return false;
    }
    if (op == OpAssign && (leftType & 0xF) != (rightType & 0xF)) {
        Error(ErrorKindError, FormulaTypeMismatch, offset);
        return false;
    }
    uint16_t type = op >= OpLess && op <= OpXor ? SlotBool : SlotNumber;
    int result = NewSlot(type, 0, offset);
    if (result < 0 || !Emit(block, {ItemOperator, uint8_t(op), type, {result, int32_t(left), int32_t(right)}}, offset))
        return false;
    return operands.Push(type, uint32_t(result));
}

bool TCompiler::StoreArgument(FormulaBlock &block, MyStack &operands, int offset)
{
    uint32_t type, slot;
    if (operands.Count() != 1 || !operands.Pop(type, slot)) {
        Error(ErrorKindError, FormulaMissingOperand, offset);
        return false;
    }
    if (block.ArgCount >= FormulaMaxArgs) {
        Error(ErrorKindError, FormulaArgumentCount, offset);
        return false;
    }
    block.ArgTypes[block.ArgCount] = uint16_t(type);
    if (!Emit(block, {ItemArgStore, 0, uint16_t(type), {block.ArgCount, 0, int32_t(slot)}}, offset))
        return false;
    ++block.ArgCount;
    return !block.IsIf || Emit(block, {ItemBranch, 0, 0, {0, 0, 0}}, offset);
}

bool TCompiler::CompileExpression(FormulaBlock &block, const std::vector<FormulaToken> &tokens, size_t begin,
                                  size_t end, bool arguments)
{
    // Operator-stack entries carry the index of their token (for the place of an
    // error) above the entry kind.
    MyStack ops, operands;
    ops.Push(StackSentinel, 0);
    int depth = 0;
    bool expectOperand = true;
    uint32_t kind = StackSentinel, sub = 0;
    auto reduceTop = [&]() {
        ops.Pop(kind, sub);
        return Reduce(block, operands, int(sub), tokens[kind >> 4].Offset);
    };
    // Reduces stacked operators down to the sentinel or an open parenthesis;
    // false on an error, and on a parenthesis unless `toParen`.
    auto reduceAll = [&](bool toParen, int offset) {
        while (ops.Peek(kind, sub) && (kind & 0xF) == StackOperator)
            if (!reduceTop())
                return false;
        if ((kind & 0xF) == StackParen && !toParen) {
            Error(ErrorKindError, FormulaMissingOperand, offset);
            return false;
        }
        return true;
    };
    auto missing = [&](int offset) {
        Error(ErrorKindError, FormulaMissingOperand, offset);
        return false;
    };
    const int lastOffset = begin < end ? tokens[end - 1].Offset : 0;
    for (size_t i = begin; i < end; ++i) {
        const FormulaToken &t = tokens[i];
        const uint32_t at = uint32_t(i) << 4;
        bool pushed = true;
        switch (t.Kind) {
        case TokenNumber:
        case TokenWord:
            if (!expectOperand)
                return missing(t.Offset);
            expectOperand = false;
            pushed = operands.Push(Slots[t.Value].Type, t.Value);
            break;
        case TokenScalar:
        case TokenSeries: {
            if (!expectOperand)
                return missing(t.Offset);
            expectOperand = false;
            size_t close = i + 1;
            if (close < end && tokens[close].Kind == TokenOperator && tokens[close].Sub == OpOpen) {
                int nested = 0;
                for (; close < end; ++close) {
                    if (tokens[close].Kind != TokenOperator)
                        continue;
                    nested += tokens[close].Sub == OpOpen ? 1 : tokens[close].Sub == OpClose ? -1 : 0;
                    if (nested == 0)
                        break;
                }
            } else {
                close = end;
            }
            if (close >= end) {
                Error(ErrorKindError, FormulaParenthesis, t.Offset);
                return false;
            }
            bool series = t.Kind == TokenSeries;
            if (series && (i + 3 >= close || tokens[i + 2].Kind != TokenNumber || tokens[i + 2].Sub != 1 ||
                           tokens[i + 3].Kind != TokenSeparator)) {
                Error(ErrorKindError, FormulaNotAField, tokens[i + 2].Offset);
                return false;
            }
            auto nested = std::make_unique<FormulaBlock>();
            nested->IsIf = !series && t.Sub == FnIf;
            FormulaBlock &args = *nested;
            int index = int(Blocks.size());
            Blocks.push_back(std::move(nested));
            if (!CompileExpression(args, tokens, i + 2, close, true))
                return false;
            if (args.ArgCount != (series ? 2 : ScalarArgs[t.Sub])) {
                Error(ErrorKindError, FormulaArgumentCount, t.Offset);
                return false;
            }
            int result = NewSlot(SlotNumber, 0, t.Offset);
            if (result < 0 ||
                !Emit(block, {uint8_t(series ? ItemSeriesCall : ItemScalarCall), uint8_t(t.Sub), SlotNumber,
                              {index, 0, 0}}, t.Offset) ||
                !Emit(block, {ItemResultCopy, 0, SlotNumber, {result, index, 0}}, t.Offset))
                return false;
            args.ResultSlot = result;
            pushed = operands.Push(SlotNumber, uint32_t(result));
            i = close;
            break;
        }
        case TokenOperator:
            if (t.Sub == OpOpen) {
                if (!expectOperand)
                    return missing(t.Offset);
                ++depth;
                pushed = ops.Push(StackParen | at, OpOpen);
            } else if (t.Sub == OpClose) {
                if (depth == 0) {
                    Error(ErrorKindError, FormulaParenthesis, t.Offset);
                    return false;
                }
                if (expectOperand)
                    return missing(t.Offset);
                if (!reduceAll(true, t.Offset))
                    return false;
                ops.Pop(kind, sub);
                --depth;
            } else if (t.Sub == OpNot) {
                if (!expectOperand)
                    return missing(t.Offset);
                pushed = ops.Push(StackOperator | at, OpNot);
            } else {
                if (expectOperand)
                    return missing(t.Offset);
                expectOperand = true;
                // Every stacked operator that binds at least as tightly as the new
                // one is applied first, so that operators of one level group from
                // the left; "=" groups from the right.
                while (ops.Peek(kind, sub) && (kind & 0xF) == StackOperator &&
                       (Precedence[sub] < Precedence[t.Sub] ||
                        (Precedence[sub] == Precedence[t.Sub] && t.Sub != OpAssign)))
                    if (!reduceTop())
                        return false;
                pushed = ops.Push(StackOperator | at, uint32_t(t.Sub));
            }
            break;
        case TokenSeparator:
            if (!arguments || depth != 0 || expectOperand)
                return missing(t.Offset);
            expectOperand = true;
            if (!reduceAll(false, t.Offset) || !StoreArgument(block, operands, t.Offset))
                return false;
            break;
        default:
            break;
        }
        if (!pushed) {
            Error(ErrorKindError, FormulaTooManyTokens, t.Offset);
            return false;
        }
    }
    if (begin < end && expectOperand)
        return missing(lastOffset);
    if (!reduceAll(false, lastOffset))
        return false;
    if (arguments)
        return (block.ArgCount == 0 && operands.Count() == 0) || StoreArgument(block, operands, lastOffset);
    uint32_t type, slot;
    if (operands.Count() != 1 || !operands.Pop(type, slot))
        return missing(lastOffset);
    block.ResultSlot = int(slot);
    return true;
}
