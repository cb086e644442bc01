// The formula compiler and evaluator of the user indicators. A formula text has
// an INDEXDEF header, PARAM, RESULT and VAR declarations and a BEGIN section of
// assignments; Compile turns it into postfix items over value slots, reporting
// every error with its code and place, and Run evaluates the items for one
// record of the bound indicator. One compiler serves every formula indicator.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lumon/formula/TErrorList.h"

class TIndex;

// Bounds of one compilation; each one passed is reported as an error.
constexpr int FormulaMaxSlots = 512;
constexpr int FormulaMaxTokens = 128;    // per statement
constexpr int FormulaMaxItems = 512;     // per block
constexpr int FormulaMaxParams = 8;
constexpr int FormulaMaxResults = 8;
constexpr int FormulaMaxVars = 16;
constexpr int FormulaNameSize = 12;      // a declared name keeps at most 11 characters
constexpr int FormulaMaxArgs = 3;

// Value slot types.
constexpr uint16_t SlotConstant = 1;
constexpr uint16_t SlotNumber = 257;
constexpr uint16_t SlotBool = 258;

// Token kinds.
constexpr int TokenInvalid = -1;
constexpr int TokenNumber = 1;
constexpr int TokenWord = 257;
constexpr int TokenScalar = 512;         // a scalar function; sub = its index
constexpr int TokenSeries = 1024;        // a series function; sub = its index
constexpr int TokenOperator = 2048;      // sub = the operator index
constexpr int TokenSeparator = 4096;

// Operator indexes.
enum FormulaOperator {
    OpOpen, OpClose, OpNot, OpMul, OpDiv, OpMod, OpAdd, OpSub, OpLess, OpLessEqual, OpGreater, OpGreaterEqual,
    OpEqual, OpNotEqual, OpAnd, OpOr, OpXor, OpAssign, OperatorCount
};
enum ScalarFunction { FnIf, FnAbs, FnMax, FnMin, FnSign, FnReverse, FnExp, FnLn, FnLog, FnPow, FnSqrt, ScalarCount };
enum SeriesFunction {
    FnRef, FnSum, FnAvg, FnMa, FnEma, FnNMax, FnNMin, FnRsOrdN, FnAvgEx, FnSqEx, FnStdEx, SeriesCount
};

// Error codes.
constexpr int FormulaInvalidChar = 6;    // warning
constexpr int FormulaUnknownName = 7;
constexpr int FormulaParenthesis = 8;
constexpr int FormulaBadOperator = 9;
constexpr int FormulaTypeMismatch = 10;
constexpr int FormulaMissingOperand = 11;
constexpr int FormulaNoEnd = 12;         // warning
constexpr int FormulaTooManyTokens = 13;
constexpr int FormulaTooManySlots = 14;
constexpr int FormulaTooManyItems = 15;
constexpr int FormulaArgumentCount = 16;
constexpr int FormulaReservedName = 101;
constexpr int FormulaNotAField = 102;
constexpr int FormulaTooManyNames = 103;
constexpr int FormulaNameTooLong = 104;

// Data field codes; a result line used as a field is 256 + its index.
enum FormulaField {
    FieldOpen, FieldHigh, FieldLow, FieldClose, FieldVolume, FieldAmount, FieldRaise, FieldDown, FieldRecords,
    FieldRecPtr, FieldLots, FieldDay, FieldMonth, FieldYear, FieldWeekday, FieldHour, FieldMinute, FieldCount
};
constexpr int FieldResultLine = 256;

struct FormulaSlot {
    uint16_t Type;
    uint32_t Bits;           // a float, or the integer 0 or 1 of a boolean
};

struct FormulaToken {
    int Kind;
    int Sub;
    uint32_t Value;          // number: its constant slot; word: its slot
    int Offset;              // where the token starts in the source
    std::string Text;
};

// Item kinds.
enum FormulaItemKind { ItemOperator, ItemArgStore, ItemBranch, ItemScalarCall, ItemSeriesCall, ItemResultCopy };

struct FormulaItem {
    uint8_t Kind;
    uint8_t Sub;             // operator or function index
    uint16_t Type;           // the result's slot type (operator items)
    int32_t Ref[3];          // operator: result, left, right slots; argument store: argument index, -, value
                             // slot; call: nested block; result copy: result slot, nested block
};

// The running state of a series call from one record to the next.
struct FormulaRunState {
    int Record = -1;         // the record of the last evaluation, -1 when none
    int N = 0;
    int Field = -1;
    int Steps = 0;
    long double Value = 0;   // sums: the window's older records; EMA: the value up to the record before
};

// A block of items: the BEGIN body, or the arguments of one function call.
struct FormulaBlock {
    bool IsIf = false;
    bool ArgsOnly = true;    // every item stores an argument: no operators, calls or branches
    int ResultSlot = -1;
    float Result = 0;
    int ArgCount = 0;
    uint32_t Args[FormulaMaxArgs] = {};
    uint16_t ArgTypes[FormulaMaxArgs] = {};
    std::vector<FormulaItem> Items;

    // What a series call carries from one record to the next, so that its
    // running sum or average continues instead of being summed again.
    FormulaRunState State;

    // A series call over a data field computes its values for every record of
    // the bound indicator in one pass, the first time it runs; later records
    // read them while the call's field and count stay those of that pass.
    int Series = -1;         // the compiler's buffer holding them, -1 when none
    uint32_t SeriesArgs[2] = {};  // the field and count arguments of that pass
    unsigned SeriesBinding = 0;  // the binding it was made for (or tried in)
};

struct FormulaName {
    uint16_t Slot;
    char Name[FormulaNameSize];
};

struct FormulaParamDesc {
    float Min;
    float Max;
    float Default;
};

class TCompiler {
public:
    TCompiler();
    TCompiler(const TCompiler &) = delete;
    TCompiler &operator=(const TCompiler &) = delete;

    // Forgets the last compilation: slots, names, blocks, errors and the bound
    // indicator.
    void Reset();
    // The NUL-terminated text to compile, owned by the caller.
    void SetSource(const char *text);
    // Compiles the whole text; always true: success is an error count of 0.
    bool Compile();

    // The indicator whose records the evaluator reads; false for none. Values
    // computed for all records at once hold until the next Bind: bind again
    // once the records have changed.
    bool Bind(TIndex *indicator);
    // Stores a value into the slot of parameter (table 0) or result line (table 1)
    // number index; ignored out of range.
    void SetParam(float value, int index, int table);
    // The value of parameter (table 0) or result line (table 1) number index; 0
    // out of range.
    float GetValue(int index, int table) const;
    void SetRecordIndex(int record) { m_Record = record; }
    // Evaluates the BEGIN section for the current record; the run of record 0
    // evaluates every record at once where the section allows it.
    void Run();

    // True for a function, field or keyword name, or one already declared:
    // scope 0 the parameters, 1 also the result lines, 2 also the variables.
    bool IsReservedName(const char *name, int scope) const;
    // The slot of a variable, else a parameter, else a result line; -1 for none.
    int LookupVariable(const char *name) const;
    // The field code, else 256 + a result line's index; -1 for none.
    int LookupField(const char *name) const;

    // The next token of the source at `pos`, which moves past it; false at the
    // end of the line or the text.
    bool NextToken(const char *&pos, FormulaToken &token) const;

    TErrorList Errors;
    char Name[9] = {};
    char Title[61] = {};
    char Key[5] = {};
    int ParamCount = 0;
    int ResultCount = 0;
    int VarCount = 0;
    FormulaName Params[FormulaMaxParams] = {};
    FormulaName Results[FormulaMaxResults] = {};
    FormulaName Vars[FormulaMaxVars] = {};
    FormulaParamDesc ParamDescs[FormulaMaxParams] = {};
    uint32_t ResultStyles[FormulaMaxResults] = {};
    std::vector<FormulaSlot> Slots;
    FormulaBlock Body;
    // The blocks of the function calls, indexed by the items that call them.
    std::vector<std::unique_ptr<FormulaBlock>> Blocks;

private:
    // Section parsing; each takes the lines after the section's keyword and
    // returns where its END line ends (or the end of the text).
    const char *NextStatement(const char *pos, std::string &line, int &offset) const;
    const char *ParseHeader(const char *pos);
    const char *ParseDeclarations(const char *pos, int section);
    const char *ParseBody(const char *pos);
    bool IsEndLine(const std::string &line) const;

    void Error(int kind, int code, int offset);
    int NewSlot(uint16_t type, uint32_t bits, int offset);

    // Statement compilation.
    bool TokenizeStatement(const std::string &line, int offset, std::vector<FormulaToken> &tokens);
    bool CompileExpression(FormulaBlock &block, const std::vector<FormulaToken> &tokens, size_t begin, size_t end,
                           bool arguments);
    bool Emit(FormulaBlock &block, const FormulaItem &item, int offset);
    bool Reduce(FormulaBlock &block, class MyStack &operands, int op, int offset);
    bool StoreArgument(FormulaBlock &block, class MyStack &operands, int offset);

    // Evaluation.
    void RunBlock(FormulaBlock &block);
    float Number(int slot) const;
    float Number(uint32_t bits, uint16_t type) const;
    void SetNumber(int slot, float value);
    float CallScalar(const FormulaBlock &block, int function) const;
    float CallSeries(FormulaBlock &block, int function);
    // The value of a field at a record as the series functions see it: result
    // lines from their buffers, except the current record's, which is the
    // value this pass has computed so far.
    float FieldAt(int field, int record) const;
    // The value of a series function at the current record from the running
    // state (sums, averages, EMA) or a gathered window.
    float SeriesAt(FormulaBlock &block, int function, int field, int n);
    // The values of a series function over a data field for every record of
    // the bound indicator into `out`, as SeriesAt gives them record by record.
    void SeriesPass(int function, int field, int n, float *out);
    // The first run of a series call under the current binding: its whole-pass
    // values when its field allows them, for the arguments it holds now.
    void SeriesForPass(FormulaBlock &block, int function, int field, int n);

    // The BEGIN section for every record at once, when its values allow it;
    // true when the value columns are ready.
    bool PassBody();
    // Whether the fixed values the pass read are still those of the slots.
    bool PassHolds();

    const char *m_Source = nullptr;
    TIndex *m_Indicator = nullptr;
    int m_Record = 0;
    bool m_InRange = false;  // the current record is one of the bound indicator's (set by Run)
    unsigned m_Binding = 0;  // counts Bind calls: whole-pass values belong to one binding
    std::vector<float> m_Gather;
    std::vector<float> m_Values;     // one data field's values by record, for whole passes
    int m_ValuesField = -1;
    unsigned m_ValuesBinding = 0;
    // Of those values from record 1 on: the lowest bit set in any of them
    // (INT_MAX when all are zero, INT_MIN when one is not finite) and the largest
    // size, which tell whether their sums are exact in double precision.
    int m_ValuesLowBit = 0;
    float m_ValuesLargest = 0;
    std::vector<int> m_Window;
    // Whole-pass value buffers, kept from one compilation to the next.
    std::vector<std::vector<float>> m_SeriesBuffers;
    size_t m_SeriesUsed = 0;
    // The whole-pass run of the BEGIN section: the slots it read as fixed values
    // and the slots it writes, each with its column of values by record.
    struct PassSlot {
        int Slot;
        uint32_t Bits;           // an input: the value the pass took
        const uint32_t *Values;  // an output: its values by record
    };
    bool m_PassReady = false;
    unsigned m_PassBinding = 0;
    int m_PassRecords = 0;
    std::vector<PassSlot> m_PassInputs;
    std::vector<PassSlot> m_PassOutputs;
    std::vector<std::vector<uint32_t>> m_Columns;
    size_t m_ColumnsUsed = 0;
};
