// TCompiler: evaluation of the compiled items for one record of the bound
// indicator, the operators and the scalar and series functions. Series calls
// over data fields compute every record's value in one pass, and a BEGIN section
// whose records do not depend on one another is evaluated for all records at
// once, each record then taking its values from the columns.
#include <algorithm>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/SeriesStats.h"
#include "lumon/formula/TCompiler.h"
#include "lumon/formula/TIndex.h"

namespace {

// Series sums are carried from record to record and summed afresh this often,
// so that rounding cannot build up.
constexpr int FreshSumEvery = 1024;

bool NearZero(long double v)
{
    return v > -1e-10L && v < 1e-10L;
}

// Whether the stock's class carries advance and decline counts (an index class).
bool CarriesBreadth(StockId stock)
{
    int m = StockMarket(stock), c = StockClass(stock);
    if (m < 0 || m >= MarketTable.Count || m >= MaxMarkets || !MarketTable.Markets[m] || c >= 15)
        return false;
    const TMarketData &md = *MarketTable.Markets[m];
    return c < md.Info.ClassCount && md.Info.Classes[c].IsIndex != 0;
}

// The running sum of a series call at record r: the window's records before r
// are final, so their sum is carried from the previous record when the call ran
// there with the same window. `at` gives the field's value at a record.
template <typename At>
long double RunningSum(FormulaRunState &s, const At &at, int r, int field, int n)
{
    const bool whole = n < 1;
    const int first = whole ? 1 : r - n + 1;
    const int count = whole ? r : n;
    bool carry = s.Record == r - 1 && s.N == n && s.Field == field && field != FieldRecPtr &&
                 s.Steps < FreshSumEvery;
    long double older = s.Value;
    if (carry && r - 1 >= first) {
        older += at(r - 1);
        if (!whole && first - 1 >= 1 && r - 2 >= first - 1) {
            float leaving = at(first - 1);
            carry = !IsOutOfRangeValue(leaving);
            older -= leaving;
        }
    }
    if (!carry) {
        older = 0;
        s.Steps = 0;
        for (int i = first; i < r; ++i)
            older += at(i);
    }
    s.Record = r;
    s.N = n;
    s.Field = field;
    s.Value = older;
    ++s.Steps;
    return count > 0 ? older + at(r) : 0;
}

// The EMA of a series call at record r, carried on by one step from the
// previous record or seeded and stepped afresh.
template <typename At>
float RunningEma(FormulaRunState &s, const At &at, int r, int field, int n)
{
    if (n >= r) {
        // The seed alone: the mean of records 1 .. r.
        s.Record = -1;
        long double sum = 0;
        for (int i = 1; i <= r; ++i)
            sum += at(i);
        return r > 0 ? ToFloat(sum / n) : 0.0f;
    }
    // The average up to the record before, over final values.
    long double previous;
    if (s.Record == r - 1 && s.N == n && s.Field == field && field != FieldRecPtr) {
        previous = EmaStep(at(r - 1), s.Value, n);
    } else {
        long double sum = 0;
        for (int i = 1; i <= n; ++i)
            sum += at(i);
        previous = n >= 1 ? sum / n : 0;
        for (int i = std::max(n, 0) + 1; i < r; ++i)
            previous = EmaStep(at(i), previous, n);
    }
    s.Record = r;
    s.N = n;
    s.Field = field;
    s.Value = previous;
    return ToFloat(EmaStep(at(r), previous, n));
}

// The lowest bit set in a finite float (its value is a whole multiple of 2 to
// that power); INT_MAX for zero, INT_MIN for an infinity or NaN.
int LowestBit(float x)
{
    const uint32_t bits = std::bit_cast<uint32_t>(x);
    const int exponent = int(bits >> 23) & 0xFF;
    const uint32_t mantissa = bits & 0x7FFFFF;
    if (exponent == 0xFF)
        return INT_MIN;
    if (exponent == 0)
        return mantissa == 0 ? INT_MAX : std::countr_zero(mantissa) - 149;
    return std::countr_zero(mantissa | 0x800000u) + exponent - 150;
}

// Whether every sum over values that are whole multiples of 2^low, none larger
// than `largest` in size, is exact in double precision when it adds up to
// `terms` of them (one more while a carried sum moves on): no partial sum can
// reach 2^53 x 2^low. Such sums are the same in double as in extended precision,
// whatever the order of the additions.
bool SumsExactInDouble(int low, float largest, int terms)
{
    if (low == INT_MAX)
        return true;
    return low != INT_MIN && (double(terms) + 1) * double(largest) < std::ldexp(1.0, low + 53);
}

// An exact sum divided by a count, as the float of the extended-precision
// quotient. The double quotient rounds to the same float unless it falls on the
// midpoint between two floats (or near the ends of the float range), where the
// extended division decides.
float MeanOf(double sum, int count)
{
    const double q = sum / count;
    const double size = std::fabs(q);
    if (size >= double(FLT_MIN) && size < double(FLT_MAX) &&
        (std::bit_cast<uint64_t>(q) & 0x1FFFFFFFu) != 0x10000000u)
        return float(q);
    return ToFloat(static_cast<long double>(sum) / count);
}

// Whether a series function's values over a data field can be computed for the
// whole pass at once: every one whose value depends only on the field's values.
bool PassesWhole(int function, int field)
{
    return function != FnRef && function != FnRsOrdN && field >= 0 && field < FieldCount && field != FieldRecPtr;
}

float NumberOf(const FormulaSlot &slot)
{
    // A boolean used as a number is 0 or 1.
    return slot.Type == SlotBool ? float(slot.Bits != 0) : std::bit_cast<float>(slot.Bits);
}

bool TruthOf(const FormulaSlot &slot)
{
    return slot.Type == SlotBool ? slot.Bits != 0 : std::bit_cast<float>(slot.Bits) != 0;
}

// The 32 bits an operator item (other than an assignment) yields for its
// operands; a missing left operand reads as the number 0.
uint32_t Operate(const FormulaItem &item, const FormulaSlot &left, const FormulaSlot &right)
{
    const float fa = NumberOf(left), fb = NumberOf(right);
    // The four arithmetic operators on floats: the double result rounds to the
    // same float as the extended one does, except beyond the float range, which
    // the extended path below decides.
    double quick = 0;
    bool arithmetic = true;
    switch (item.Sub) {
    case OpMul: quick = double(fa) * double(fb); break;
    case OpDiv: quick = NearZero(fb) ? double(NoValue) : double(fa) / double(fb); break;
    case OpAdd: quick = double(fa) + double(fb); break;
    case OpSub: quick = double(fa) - double(fb); break;
    default: arithmetic = false; break;
    }
    if (arithmetic && std::fabs(quick) < double(FLT_MAX))
        return std::bit_cast<uint32_t>(float(quick));
    long double a = fa, b = fb;
    long double v = 0;
    switch (item.Sub) {
    case OpNot: v = TruthOf(right) ? 0 : 1; break;
    case OpMul: v = a * b; break;
    case OpDiv: v = NearZero(b) ? NoValue : a / b; break;
    case OpMod: {
        // In floating point: no integer trap for the smallest int divided by -1,
        // and a divisor below 1 (truncated to 0) gives 0.
        long double d = std::trunc(b);
        v = NearZero(b) || d == 0 ? 0 : std::fmod(std::trunc(a), d);
        break;
    }
    case OpAdd: v = a + b; break;
    case OpSub: v = a - b; break;
    case OpLess: v = a < b; break;
    case OpLessEqual: v = a < b || a == b; break;
    case OpGreater: v = a > b; break;
    case OpGreaterEqual: v = !(a < b); break;
    case OpEqual: v = NearZero(a - b); break;
    case OpNotEqual: v = !NearZero(a - b); break;
    case OpAnd: v = TruthOf(left) && TruthOf(right); break;
    case OpOr: v = TruthOf(left) || TruthOf(right); break;
    case OpXor: v = TruthOf(left) != TruthOf(right); break;
    default: break;
    }
    if (item.Type == SlotBool)
        return v != 0;
    return std::bit_cast<uint32_t>(ToFloat(v));
}

// The most value columns one whole-pass run of the BEGIN section keeps.
constexpr size_t MaxPassColumns = 64;

} // namespace

bool TCompiler::Bind(TIndex *indicator)
{
    m_Indicator = indicator;
    ++m_Binding;
    return indicator != nullptr;
}

void TCompiler::SetParam(float value, int index, int table)
{
    const FormulaName *names = table == 0 ? Params : Results;
    int count = table == 0 ? ParamCount : ResultCount;
    if (index >= 0 && index < count && (table == 0 || table == 1))
        Slots[names[index].Slot].Bits = std::bit_cast<uint32_t>(value);
}

float TCompiler::GetValue(int index, int table) const
{
    const FormulaName *names = table == 0 ? Params : Results;
    int count = table == 0 ? ParamCount : ResultCount;
    if (index < 0 || index >= count || (table != 0 && table != 1))
        return 0;
    return Number(names[index].Slot);
}

void TCompiler::Run()
{
    m_InRange = m_Indicator && m_Indicator->Records && m_Record >= 0 && m_Record < m_Indicator->RecordCount;
    if (m_InRange && m_Record == 0 && m_PassBinding != m_Binding) {
        m_PassBinding = m_Binding;
        m_PassReady = PassBody();
    }
    if (m_PassReady && m_PassBinding == m_Binding && m_InRange && m_Record < m_PassRecords && PassHolds()) {
        for (const PassSlot &out : m_PassOutputs)
            Slots[size_t(out.Slot)].Bits = out.Values[m_Record];
        return;
    }
    RunBlock(Body);
}

bool TCompiler::PassHolds()
{
    for (const PassSlot &in : m_PassInputs)
        if (Slots[in.Slot].Bits != in.Bits) {
            // A value the pass took as fixed has changed: evaluate record by
            // record from here on.
            m_PassReady = false;
            return false;
        }
    return true;
}

bool TCompiler::PassBody()
{
    // The BEGIN section runs for every record at once, item by item over value
    // columns, when each record's values depend on nothing but that record's
    // data: operators and series calls over data fields, where every slot read
    // is either never written (its value fixed for the pass) or written earlier
    // in the same record. Anything else runs record by record.
    const int records = m_Indicator->RecordCount;
    const size_t slots = Slots.size();
    std::vector<bool> written(slots, false);
    for (const FormulaItem &item : Body.Items) {
        if (item.Kind == ItemOperator) {
            written[size_t(item.Ref[0])] = true;
            if (item.Sub == OpAssign)
                written[size_t(item.Ref[1])] = true;
        } else if (item.Kind == ItemResultCopy) {
            written[size_t(item.Ref[0])] = true;
        }
    }
    m_PassInputs.clear();
    m_PassOutputs.clear();
    m_ColumnsUsed = 0;
    m_PassRecords = records;
    std::vector<int> column(slots, -1);   // the column holding a written slot's value so far
    // The column or fixed value a read takes; false for a slot read before this
    // record writes it.
    auto source = [&](int slot, int &col) {
        col = column[size_t(slot)];
        if (col >= 0)
            return true;
        if (written[size_t(slot)])
            return false;
        // The numbers of the text stay as compiled; parameters and lines are
        // checked at every record.
        if (Slots[size_t(slot)].Type != SlotConstant &&
            std::none_of(m_PassInputs.begin(), m_PassInputs.end(), [&](const PassSlot &in) { return in.Slot == slot; }))
            m_PassInputs.push_back({slot, Slots[size_t(slot)].Bits, nullptr});
        return true;
    };
    auto newColumn = [&]() -> int {
        if (m_ColumnsUsed == MaxPassColumns)
            return -1;
        if (m_ColumnsUsed == m_Columns.size())
            m_Columns.emplace_back();
        m_Columns[m_ColumnsUsed].resize(size_t(records));
        return int(m_ColumnsUsed++);
    };
    const std::vector<FormulaItem> &items = Body.Items;
    for (size_t k = 0; k < items.size(); ++k) {
        const FormulaItem &item = items[k];
        if (item.Kind == ItemOperator) {
            const int result = item.Ref[0], left = item.Ref[1], right = item.Ref[2];
            int rightCol = -1, leftCol = -1;
            if (!source(right, rightCol) || (item.Sub != OpAssign && left >= 0 && !source(left, leftCol)))
                return false;
            if (item.Sub == OpAssign) {
                int out = rightCol;
                if (out < 0) {
                    out = newColumn();
                    if (out < 0)
                        return false;
                    std::fill(m_Columns[size_t(out)].begin(), m_Columns[size_t(out)].end(), Slots[size_t(right)].Bits);
                }
                column[size_t(left)] = column[size_t(result)] = out;
                continue;
            }
            const int out = newColumn();
            if (out < 0)
                return false;
            FormulaSlot a = left >= 0 ? Slots[size_t(left)] : FormulaSlot{SlotNumber, 0};
            FormulaSlot b = Slots[size_t(right)];
            const uint32_t *as = leftCol >= 0 ? m_Columns[size_t(leftCol)].data() : nullptr;
            const uint32_t *bs = rightCol >= 0 ? m_Columns[size_t(rightCol)].data() : nullptr;
            uint32_t *to = m_Columns[size_t(out)].data();
            for (int r = 0; r < records; ++r) {
                if (as)
                    a.Bits = as[r];
                if (bs)
                    b.Bits = bs[r];
                to[r] = Operate(item, a, b);
            }
            column[size_t(result)] = out;
        } else if (item.Kind == ItemSeriesCall) {
            FormulaBlock &args = *Blocks[size_t(item.Ref[0])];
            if (!args.ArgsOnly || args.ArgCount != 2 || k + 1 >= items.size() ||
                items[k + 1].Kind != ItemResultCopy || items[k + 1].Ref[1] != item.Ref[0])
                return false;
            for (const FormulaItem &store : args.Items) {
                int col = -1;
                if (!source(store.Ref[2], col) || col >= 0)
                    return false;
                args.Args[store.Ref[0]] = Slots[size_t(store.Ref[2])].Bits;
            }
            const int field = TruncToInt(Number(args.Args[0], args.ArgTypes[0]));
            const int n = TruncToInt(Number(args.Args[1], args.ArgTypes[1]));
            const int out = newColumn();
            if (!PassesWhole(item.Sub, field) || out < 0)
                return false;
            if (args.SeriesBinding != m_Binding)
                SeriesForPass(args, item.Sub, field, n);
            if (args.Series < 0 || args.SeriesArgs[0] != args.Args[0] || args.SeriesArgs[1] != args.Args[1])
                return false;
            std::memcpy(m_Columns[size_t(out)].data(), m_SeriesBuffers[size_t(args.Series)].data(),
                        size_t(records) * sizeof(float));
            column[size_t(items[k + 1].Ref[0])] = out;
            ++k;
        } else {
            return false;
        }
    }
    for (size_t slot = 0; slot < slots; ++slot)
        if (column[slot] >= 0)
            m_PassOutputs.push_back({int(slot), 0, m_Columns[size_t(column[slot])].data()});
    return true;
}

float TCompiler::Number(uint32_t bits, uint16_t type) const
{
    // A boolean used as a number is 0 or 1.
    return type == SlotBool ? float(bits != 0) : std::bit_cast<float>(bits);
}

float TCompiler::Number(int slot) const
{
    return slot >= 0 ? Number(Slots[slot].Bits, Slots[slot].Type) : 0.0f;
}

void TCompiler::SetNumber(int slot, float value)
{
    Slots[slot].Bits = std::bit_cast<uint32_t>(value);
}

void TCompiler::RunBlock(FormulaBlock &block)
{
    int branches = 0;
    for (size_t k = 0; k < block.Items.size(); ++k) {
        const FormulaItem &item = block.Items[k];
        switch (item.Kind) {
        case ItemOperator: {
            const int result = item.Ref[0], left = item.Ref[1], right = item.Ref[2];
            if (item.Sub == OpAssign) {
                Slots[left].Bits = Slots[right].Bits;
                Slots[result].Bits = Slots[right].Bits;
                break;
            }
            Slots[result].Bits = Operate(item, left >= 0 ? Slots[left] : FormulaSlot{SlotNumber, 0}, Slots[right]);
            break;
        }
        case ItemArgStore:
            block.Args[item.Ref[0]] = Slots[item.Ref[2]].Bits;
            break;
        case ItemBranch:
            // After the condition: a false one skips the then-branch, a true one
            // stops before the else-branch.
            if (++branches == 1 && !(block.ArgTypes[0] == SlotBool ? block.Args[0] != 0
                                                                   : std::bit_cast<float>(block.Args[0]) != 0)) {
                while (++k < block.Items.size() && block.Items[k].Kind != ItemBranch)
                    ;
                ++branches;
            } else if (branches >= 2) {
                return;
            }
            break;
        case ItemScalarCall: {
            FormulaBlock &args = *Blocks[item.Ref[0]];
            RunBlock(args);
            args.Result = CallScalar(args, item.Sub);
            break;
        }
        case ItemSeriesCall: {
            FormulaBlock &args = *Blocks[item.Ref[0]];
            if (args.ArgsOnly) {
                for (const FormulaItem &store : args.Items)
                    args.Args[store.Ref[0]] = Slots[store.Ref[2]].Bits;
            } else {
                RunBlock(args);
            }
            // The call's whole-pass values serve while its arguments are those
            // of the pass.
            const bool pass = m_InRange && args.Series >= 0 && args.SeriesBinding == m_Binding &&
                              args.Args[0] == args.SeriesArgs[0] && args.Args[1] == args.SeriesArgs[1] &&
                              size_t(m_Record) < m_SeriesBuffers[size_t(args.Series)].size();
            args.Result = pass ? m_SeriesBuffers[size_t(args.Series)][size_t(m_Record)] : CallSeries(args, item.Sub);
            // The result copy that follows every call, done here.
            if (k + 1 < block.Items.size() && block.Items[k + 1].Kind == ItemResultCopy &&
                block.Items[k + 1].Ref[1] == item.Ref[0]) {
                SetNumber(block.Items[k + 1].Ref[0], args.Result);
                ++k;
            }
            break;
        }
        case ItemResultCopy:
            SetNumber(item.Ref[0], Blocks[item.Ref[1]]->Result);
            break;
        default:
            break;
        }
    }
}

float TCompiler::CallScalar(const FormulaBlock &block, int function) const
{
    auto arg = [&](int i) -> long double { return Number(block.Args[i], block.ArgTypes[i]); };
    long double x = arg(0);
    switch (function) {
    case FnIf: {
        bool c = block.ArgTypes[0] == SlotBool ? block.Args[0] != 0 : std::bit_cast<float>(block.Args[0]) != 0;
        return Number(block.Args[c ? 1 : 2], block.ArgTypes[c ? 1 : 2]);
    }
    case FnAbs: return ToFloat(std::fabs(x));
    case FnMax: return ToFloat(x < arg(1) || x == arg(1) ? arg(1) : x);
    case FnMin: return ToFloat(x < arg(1) ? x : arg(1));
    case FnSign: return x > 0 ? 1.0f : x < 0 ? -1.0f : 0.0f;
    case FnReverse: return ToFloat(-x);
    case FnExp: return ToFloat(std::exp(x));
    case FnLn: return x > 0 ? ToFloat(std::log(x)) : -NoValue;
    case FnLog: return x > 0 ? ToFloat(std::log10(x)) : -NoValue;
    case FnPow: return ToFloat(std::pow(x, arg(1)));
    case FnSqrt: return x >= 0 ? ToFloat(std::sqrt(x)) : 0.0f;
    default: return 0;
    }
}

float TCompiler::FieldAt(int field, int record) const
{
    const TIndex &ix = *m_Indicator;
    if (field == FieldClose)
        return float(ix.Records[record].Close) / ix.PriceDivisor;
    if (field >= FieldResultLine) {
        int k = field - FieldResultLine;
        if (k >= ResultCount)
            return 0;
        if (record == m_Record)
            return Number(Results[k].Slot);
        return k < ix.LineCount && ix.Lines[k] && record < ix.LineCapacity ? ix.Lines[k][record] : 0.0f;
    }
    const KLineRecord &b = ix.Records[record];
    switch (field) {
    case FieldOpen: return float(b.Open) / ix.PriceDivisor;
    case FieldHigh: return float(b.High) / ix.PriceDivisor;
    case FieldLow: return float(b.Low) / ix.PriceDivisor;
    case FieldClose: return float(b.Close) / ix.PriceDivisor;
    case FieldVolume: return b.Volume;
    case FieldAmount: return b.Amount;
    case FieldRaise: return CarriesBreadth(ix.Stock) ? float(b.Advances) : 0.0f;
    case FieldDown: return CarriesBreadth(ix.Stock) ? float(b.Declines) : 0.0f;
    case FieldRecPtr: return float(m_Record);
    case FieldLots: return NoValue;
    case FieldDay: return float(PackedDay(b.Time));
    case FieldMonth: return float(PackedMonth(b.Time));
    case FieldYear: return float(PackedYear(b.Time));
    case FieldWeekday: return float(PackedDateDayOfWeek(b.Time));
    case FieldHour: return float(PackedHour(b.Time));
    case FieldMinute: return float(PackedMinute(b.Time));
    default: return 0;
    }
}

float TCompiler::SeriesAt(FormulaBlock &block, int function, int field, int n)
{
    const int r = m_Record;
    auto at = [this, field](int i) { return FieldAt(field, i); };
    switch (function) {
    case FnSum:
        return ToFloat(RunningSum(block.State, at, r, field, n));
    case FnAvg:
    case FnMa: {
        int count = n < 1 ? r : n;
        long double sum = RunningSum(block.State, at, r, field, n);
        return count > 0 ? ToFloat(sum / count) : 0.0f;
    }
    case FnEma:
        return RunningEma(block.State, at, r, field, n);
    default:
        break;
    }
    int count = n < 1 ? r : n;
    m_Gather.resize(size_t(std::max(count, 1)));
    for (int k = 0; k < count; ++k)
        m_Gather[size_t(count - 1 - k)] = FieldAt(field, r - k);
    const float *a = m_Gather.data();
    switch (function) {
    case FnNMax: return SeriesMaxMin(a, count, true);
    case FnNMin: return SeriesMaxMin(a, count, false);
    case FnAvgEx: return SeriesAbsDeviation(a, count);
    case FnSqEx: return SeriesSquaredDeviation(a, count);
    case FnStdEx: return SeriesStdDeviation(a, count);
    default: return 0;
    }
}

void TCompiler::SeriesPass(int function, int field, int n, float *out)
{
    const int records = m_Indicator->RecordCount;
    if (m_ValuesField != field || m_ValuesBinding != m_Binding || m_Values.size() != size_t(records)) {
        m_Values.resize(size_t(records));
        int low = INT_MAX;
        float largest = 0;
        for (int i = 0; i < records; ++i) {
            const float x = FieldAt(field, i);
            m_Values[size_t(i)] = x;
            if (i >= 1) {
                low = std::min(low, LowestBit(x));
                largest = std::max(largest, std::fabs(x));
            }
        }
        m_ValuesField = field;
        m_ValuesBinding = m_Binding;
        m_ValuesLowBit = low;
        m_ValuesLargest = largest;
    }
    const float *v = m_Values.data();
    auto at = [v](int i) { return v[i]; };
    FormulaRunState state;
    // Every function but these yields no value before record n; a window holds
    // records 1 .. r when n < 1, else the last n up to r (never record 0).
    const int first = std::max(n, 0);
    std::fill(out, out + std::min(first, records), NoValue);
    if (first >= records)
        return;
    switch (function) {
    case FnSum:
    case FnAvg:
    case FnMa: {
        const bool mean = function != FnSum;
        if (SumsExactInDouble(m_ValuesLowBit, m_ValuesLargest, n < 1 ? records : n)) {
            // Exact sums do not depend on the order of the additions: the window
            // slides by adding the record entering and taking off the one leaving.
            double sum = 0;
            for (int i = 1; i < first; ++i)
                sum += v[i];
            for (int r = first; r < records; ++r) {
                const int count = n < 1 ? r : n;
                if (r >= 1)
                    sum += n < 1 || r == n ? double(v[r]) : double(v[r]) - double(v[r - n]);
                out[r] = count < 1 ? 0.0f : !mean ? ToFloat(sum) : MeanOf(sum, count);
            }
            return;
        }
        for (int r = first; r < records; ++r) {
            const int count = n < 1 ? r : n;
            const long double sum = RunningSum(state, at, r, field, n);
            out[r] = !mean ? ToFloat(sum) : count > 0 ? ToFloat(sum / count) : 0.0f;
        }
        return;
    }
    case FnEma: {
        // RunningEma record after record with its average kept at hand: at
        // record n the seed alone, at n + 1 the seed stepped once, after that
        // one step from the value that the record before computed.
        long double ema = 0;
        for (int r = first; r < records; ++r) {
            if (r <= n) {
                out[r] = RunningEma(state, at, r, field, n);
                continue;
            }
            if (r == first || r == n + 1) {
                long double sum = 0;
                for (int i = 1; i <= n; ++i)
                    sum += v[i];
                ema = n >= 1 ? sum / n : 0;
                for (int i = std::max(n, 0) + 1; i < r; ++i)
                    ema = EmaStep(v[i], ema, n);
            }
            ema = EmaStep(v[r], ema, n);
            out[r] = ToFloat(ema);
        }
        return;
    }
    case FnNMax:
    case FnNMin: {
        // A monotonic window: record indexes whose values no later record
        // beats, best first; of equal values the oldest stays in front, as a
        // scan of the window from its oldest value keeps it.
        const bool max = function == FnNMax;
        bool unordered = false;
        for (int i = 1; i < records; ++i)
            unordered = unordered || std::isnan(v[i]);
        m_Window.resize(size_t(records));
        int *window = m_Window.data();
        int head = 0, tail = 0;
        for (int r = 0; r < records; ++r) {
            if (r >= 1 && !unordered) {
                while (tail > head && (max ? v[r] > v[window[tail - 1]] : v[r] < v[window[tail - 1]]))
                    --tail;
                window[tail++] = r;
            }
            if (r < first)
                continue;
            const int count = n < 1 ? r : n;
            if (unordered) {
                // NaN values order nothing: scan each window as it is.
                out[r] = SeriesMaxMin(v + r - count + 1, count, max);
                continue;
            }
            while (head < tail && window[head] < r - count + 1)
                ++head;
            out[r] = count < 1 ? NoValue : v[window[head]];
        }
        return;
    }
    default:
        break;
    }
    for (int r = first; r < records; ++r) {
        const int count = n < 1 ? r : n;
        const float *a = v + r - count + 1;
        out[r] = function == FnAvgEx ? SeriesAbsDeviation(a, count)
                 : function == FnSqEx ? SeriesSquaredDeviation(a, count)
                                      : SeriesStdDeviation(a, count);
    }
}

void TCompiler::SeriesForPass(FormulaBlock &block, int function, int field, int n)
{
    block.SeriesBinding = m_Binding;
    block.SeriesArgs[0] = block.Args[0];
    block.SeriesArgs[1] = block.Args[1];
    block.Series = -1;
    if (!PassesWhole(function, field))
        return;
    if (m_SeriesUsed == m_SeriesBuffers.size())
        m_SeriesBuffers.emplace_back();
    std::vector<float> &buffer = m_SeriesBuffers[m_SeriesUsed];
    buffer.resize(size_t(m_Indicator->RecordCount));
    SeriesPass(function, field, n, buffer.data());
    block.Series = int(m_SeriesUsed++);
}

float TCompiler::CallSeries(FormulaBlock &block, int function)
{
    if (!m_Indicator)
        return 0;
    const TIndex &ix = *m_Indicator;
    const int r = m_Record;
    if (!ix.Records || ix.RecordCount <= 0 || r < 0 || r >= ix.RecordCount)
        return 0;
    const int field = TruncToInt(Number(block.Args[0], block.ArgTypes[0]));
    const int n = TruncToInt(Number(block.Args[1], block.ArgTypes[1]));
    switch (function) {
    case FnRef:
        if (field == FieldRecPtr)
            return float(r);
        // A negative count would look into records not yet reached.
        if (n < 0)
            return NoValue;
        return FieldAt(field, r - n < 1 ? 0 : r - n);
    case FnRsOrdN:
        if (n < 0)
            return NoValue;
        return float(ix.CloseDirection(r <= n ? 0 : r - n));
    default:
        break;
    }
    if (block.SeriesBinding != m_Binding)
        SeriesForPass(block, function, field, n);
    if (block.Series >= 0 && block.Args[0] == block.SeriesArgs[0] && block.Args[1] == block.SeriesArgs[1] &&
        size_t(r) < m_SeriesBuffers[size_t(block.Series)].size())
        return m_SeriesBuffers[size_t(block.Series)][size_t(r)];
    if (r < n)
        return NoValue;
    return SeriesAt(block, function, field, n);
}
