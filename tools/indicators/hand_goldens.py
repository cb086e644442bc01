#!/usr/bin/python3
"""Hand-worked reference values of the built-in indicators in 32-bit floats.

Works each indicator's formulas step by step on a small day series (24 bars
with a flat stretch whose bars have high equal to low, and one ex-rights event)
without and with the event taken into account, rounding every operation to a
32-bit float as the indicators compute. Writes
tests/lumon/formula/goldens/hand_series.txt (the bars and the event) and
hand.txt, one row per mode, indicator and line: "<mode> <id> <line> v0 v1 ...",
"-" for no value. Run by hand when the goldens are to be made again.
"""
import math
import os
import struct
import sys

NONE = 1e16


def f(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


NONE = f(NONE)
DIV = 100.0  # the stock's price divisor

# open, high, low, close; amounts 1000 x (i + 1)
ROWS = [
    (1000, 1020, 990, 1010), (1010, 1030, 1000, 1025), (1025, 1040, 1015, 1020),
    (1020, 1025, 1000, 1005), (1005, 1010, 990, 1000), (1000, 1000, 1000, 1000),
    (1000, 1000, 1000, 1000), (1000, 1000, 1000, 1000), (1000, 1000, 1000, 1000),
    (1000, 1000, 1000, 1000), (1000, 1030, 995, 1028), (1028, 1050, 1020, 1045),
    (1045, 1060, 1030, 1035), (1035, 1045, 1010, 1015), (1015, 1040, 1012, 1038),
    (700, 712, 690, 705), (705, 720, 700, 716), (716, 716, 716, 716),
    (716, 730, 705, 709), (709, 715, 695, 698), (698, 710, 690, 707),
    (707, 725, 704, 722), (722, 735, 718, 731), (731, 733, 712, 715),
]
N = len(ROWS)
O = [r[0] for r in ROWS]
H = [r[1] for r in ROWS]
L = [r[2] for r in ROWS]
C = [r[3] for r in ROWS]
A = [f(1000.0 * (i + 1)) for i in range(N)]
DAY = list(range(N))  # consecutive calendar days from 2006-11-01
EVENTS = [(15, 50000, 0, 0, 100, 0)]  # day, bonus, rights, rights price, dividend, conversion


def price_forward(p, e):
    _, b, r, rp, d, c = e
    v = (10.0 * p + 0.0001 * r * rp - d) / (10.0 + 0.0001 * (b + r + c))
    return max(0, int(v))


class Series:
    """The records as one mode of an indicator sees them."""

    def __init__(self, events):
        self.events = events

    def latest(self, i):
        return sum(1 for e in self.events if e[0] <= DAY[i])

    def on_basis(self, j, latest):
        """Record j carried across the events up to number latest after its day."""
        rec = [O[j], H[j], L[j], C[j]]
        for e in self.events[:latest]:
            if DAY[j] < e[0]:
                rec = [price_forward(p, e) for p in rec]
        return rec

    def taking_effect(self, i):
        """Number of the latest event dated after bar i - 1 and on or before bar i."""
        if i < 1:
            return 0
        k = self.latest(i)
        if k and DAY[i - 1] < self.events[k - 1][0]:
            return k
        return 0

    def previous(self, i):
        k = self.taking_effect(i)
        return self.on_basis(i - 1, k) if k else [O[i - 1], H[i - 1], L[i - 1], C[i - 1]]

    def copy_backward(self):
        """Every record brought back to the level before the events."""
        out = []
        for i in range(N):
            rec = [O[i], H[i], L[i], C[i]]
            for e in reversed([e for e in self.events if e[0] <= DAY[i]]):
                rec = [price_backward(p, e) for p in rec]
            out.append(rec)
        return out

    def close_average(self, n):
        """The average of the close that stays continuous across the events."""
        dst = [NONE] * N
        if not self.events:
            return ma([f(c / DIV) for c in C], n, 0)
        matched = 0
        s = 0.0
        for i in range(N):
            hit = False
            while matched < len(self.events) and self.events[matched][0] <= DAY[i]:
                matched += 1
                hit = True
            if hit:
                s = 0.0
                for j in range(max(0, i - n + 1), i):
                    s = s + f(self.on_basis(j, matched)[3] / DIV)
            s = s + f(C[i] / DIV)
            if i >= n - 1:
                dst[i] = f(s / n)
                s = s - f(self.on_basis(i - n + 1, matched)[3] / DIV)
        return dst


def price_backward(p, e):
    _, b, r, rp, d, c = e
    v = ((10.0 + 0.0001 * (b + r + c)) * p - 0.0001 * r * rp + d) * 0.1
    return max(0, min(int(v), 4294967295))


def ma(src, n, start, count=N):
    dst = [NONE] * count
    if n <= 0:
        for i in range(start, count):
            dst[i] = src[i]
        return dst
    # the running sum in double, as the indicators keep it: the first window
    # summed, then the entering value less the leaving one added each bar
    s = 0.0
    first = start + n - 1
    for i in range(start, min(first + 1, count)):
        s = s + src[i]
    if first < count:
        dst[first] = f(s / n)
    for i in range(first + 1, count):
        s = s + (src[i] - src[i - n])
        dst[i] = f(s / n)
    return dst


def ema_step(x, prev, a):
    return f(f(f(x - prev) * a) + prev)


def out_of_range(x):
    return not (-1e15 <= x < 1e15)


# ---- trend ----

def macd(S, p0, p1, p2):
    recs = S.copy_backward() if S.events else [[O[i], H[i], L[i], C[i]] for i in range(N)]
    P = [f(f(f(r[1] + r[2] + 2 * r[3]) / DIV) * f(0.25)) for r in recs]
    a = [f(0.0)] * N
    b = [f(0.0)] * N
    s = f(0.0)
    for i in range(p1):
        s = f(s + P[i])
        if i == p0 - 1:
            a[i] = f(s / p0)
        elif i == p1 - 1:
            b[i] = f(s / p1)
    ka, kb, kd = f(2.0 / (p0 + 1)), f(2.0 / (p1 + 1)), f(2.0 / (p2 + 1))
    for i in range(p0, N):
        a[i] = P[i] if abs(a[i - 1]) < 1e-10 else ema_step(P[i], a[i - 1], ka)
    for i in range(p1, N):
        b[i] = P[i] if abs(b[i - 1]) < 1e-10 else ema_step(P[i], b[i - 1], kb)
    dif, dea, hist = [NONE] * N, [NONE] * N, [NONE] * N
    t = f(0.0)
    for i in range(p1 - 1, N):
        if abs(a[i]) < 1e-10 or abs(b[i]) < 1e-10:
            continue
        dif[i] = f(a[i] - b[i]) if p0 < p1 else f(b[i] - a[i])  # short minus long
        if i < p1 + p2 - 2:
            t = f(t + dif[i])
            dea[i] = dif[i] if (i == 0 or dea[i - 1] == NONE) else ema_step(dif[i], dea[i - 1], kd)
        elif i == p1 + p2 - 2:
            t = f(t + dif[i])
            dea[i] = f(t / p2)
        else:
            dea[i] = dif[i] if dea[i - 1] == NONE else ema_step(dif[i], dea[i - 1], kd)
        hist[i] = f(dif[i] - dea[i])
    return [dif, dea, hist]


def dma(S, p0, p1, p2):
    recs = S.copy_backward() if S.events else [[O[i], H[i], L[i], C[i]] for i in range(N)]
    w = [f(r[3] / DIV) for r in recs]
    m0, m1 = ma(w, p0, 0), ma(w, p1, 0)
    line0 = [NONE] * N
    for i in range(p1 - 1, N):
        line0[i] = f(f(m0[i] - m1[i]) / p0)
    return [line0, ma(line0, p2, p1 - 1)]


def dmi(S, n):
    plus, minus, adx, adxr = [NONE] * N, [NONE] * N, [NONE] * N, [NONE] * N
    s_tr = s_p = s_m = dx_sum = f(0.0)
    for i in range(1, N):
        _, ph, pl, pc = S.previous(i)
        h, l = H[i], L[i]
        tr = max(abs(h - l), abs(h - pc), abs(pc - l))
        hd, ld = h - ph, l - pl
        dp = dm = 0
        if hd > 0 and ld >= 0:
            dp = hd
        elif hd > 0 and ld < 0:
            if abs(ld) > hd:
                dm = abs(ld)
            else:
                dp = hd
        elif hd <= 0 and ld <= 0:
            dm = abs(ld)
        if i < n:
            s_tr, s_p, s_m = f(s_tr + tr), f(s_p + dp), f(s_m + dm)
            continue
        if i == n:
            s_tr, s_p, s_m = f(s_tr / n), f(s_p / n), f(s_m / n)
        else:
            s_tr = f(tr + f(f((n - 1) * s_tr) / n))
            s_p = f(dp + f(f((n - 1) * s_p) / n))
            s_m = f(dm + f(f((n - 1) * s_m) / n))
        if s_tr == 0:
            pdi = mdi = f(0.0)
        else:
            pdi = f(f(s_p / s_tr) * 100)
            mdi = f(f(s_m / s_tr) * 100)
        plus[i], minus[i] = pdi, mdi
        tot = f(pdi + mdi)
        dx = f(0.0) if tot == 0 else f(f(abs(f(pdi - mdi)) / tot) * 100)
        if i < 2 * n - 1:
            dx_sum = f(dx_sum + dx)
        elif i == 2 * n - 1:
            dx_sum = f(dx_sum + dx)
            adx[i] = f(dx_sum / n)
        else:
            adx[i] = f(f(f((n - 1) * adx[i - 1]) + dx) / n)
        if i >= 3 * n - 2:
            adxr[i] = f(f(adx[i] + adx[i - n + 1]) * 0.5)
    return [plus, minus, adx, adxr]


def expma(S, periods):
    lines = []
    for p in periods:
        line = [NONE] * N
        if p > 0:
            a = f(2.0 / (p + 1))
            line[0] = f(C[0] / DIV)
            for i in range(1, N):
                k = S.taking_effect(i) if S.events else 0
                if not k:
                    line[i] = ema_step(f(C[i] / DIV), line[i - 1], a)
                    continue
                w = f(S.on_basis(0, k)[3] / DIV)
                for j in range(1, i):
                    w = ema_step(f(S.on_basis(j, k)[3] / DIV), w, a)
                line[i] = ema_step(f(C[i] / DIV), w, a)
        lines.append(line)
    return lines


def trix(S, p0, p1):
    recs = S.copy_backward() if S.events else [[O[i], H[i], L[i], C[i]] for i in range(N)]
    a = f(2.0 / (p0 + 1))
    e1 = e2 = t = f(recs[0][3] / DIV)
    line = [t]
    for i in range(1, N):
        e1 = ema_step(f(recs[i][3] / DIV), e1, a)
        e2 = ema_step(e1, e2, a)
        t = ema_step(e2, t, a)
        line.append(t)
    return [line, ma(line, p1, 0)]


# ---- oscillators ----

def rsi(S, periods):
    lines = []
    for n in periods:
        line = [NONE] * N
        fk = f((n - 1) / n)
        u = d = f(0.0)
        for i in range(1, N):
            diff = C[i] - S.previous(i)[3]
            if i > n:
                u, d = f(u * fk), f(d * fk)
            if diff > 0:
                u = f(u + diff)
            elif diff < 0:
                d = f(d - diff)
            if i >= n:
                tot = f(u + d)
                line[i] = line[i - 1] if tot == 0 else f(f(u * 100) / tot)
        lines.append(line)
    return lines


def extremes(S, first, last, latest):
    recs = [S.on_basis(j, latest) for j in range(first, last + 1)]
    return max(r[1] for r in recs), min(r[2] for r in recs)


def willr(S, periods):
    lines = []
    for n in periods:
        line = [NONE] * N
        for i in range(n - 1, N):
            hh, ll = extremes(S, i - n + 1, i, S.latest(i))
            if hh - ll == 0:
                line[i] = f(0.0) if i == 0 else line[i - 1]
            else:
                line[i] = f(f(f(hh - C[i]) / f(hh - ll)) * 100)
        lines.append(line)
    return lines


def typical(r):
    return f(f(f(r[1] + r[2] + r[3]) * f(1.0 / 3.0)) / DIV)


def cci(S, n):
    # In whole numbers: with s = H + L + C and S the window's sum of them,
    # CCI = n * (n * s - S) / (0.015 * sum |n * s_j - S|), one double division;
    # a window of equal sums carries the previous value.
    line = [NONE] * N
    sums = [H[i] + L[i] + C[i] for i in range(N)]
    # the window's sums, carried to the level after each event met and kept at
    # that level while they stay in the window
    kept = list(sums)
    for i in range(n - 1, N):
        k = S.taking_effect(i)
        if k:
            for j in range(i - n + 1, i):
                r = S.on_basis(j, k)
                kept[j] = r[1] + r[2] + r[3]
        win = kept[i - n + 1:i + 1]
        total = sum(win)
        if all(x == win[-1] for x in win):
            line[i] = NONE if i == 0 else line[i - 1]
        else:
            d = sum(abs(n * x - total) for x in win)
            line[i] = f(float(n * kept[i] - total) * n / (0.015 * float(d)))
    return [line]


def roc(S, p0, p1, p2):
    line = [NONE] * N
    for i in range(p0, N):
        base = S.on_basis(i - p0, S.latest(i))[3]
        line[i] = line[i - 1] if base == 0 else f(f(f(C[i] - base) / base) * 100)
    avg = ma(line, p1, p0) if p1 > 0 else [NONE] * N
    avg_abs = ma([abs(x) for x in line], p1, p0) if p2 and p1 > 0 else [NONE] * N
    return [line, avg, avg_abs]


def bias(S, periods, p3):
    w = [f(c / DIV) for c in C]
    lines = []
    for n in periods:
        line = [NONE] * N
        if n > 0:
            m = S.close_average(n)
            for i in range(n - 1, N):
                if m[i] == 0:
                    line[i] = f(0.0) if i == 0 else line[i - 1]
                else:
                    line[i] = f(f(f(w[i] - m[i]) / m[i]) * 100)
        lines.append(line)
    lines.append(ma(lines[0], p3, periods[0] - 1) if p3 > 0 and periods[0] >= 1 else [NONE] * N)
    return lines


def psy(S, n, p1):
    line = [NONE] * N
    up = [0] + [1 if C[i] > S.previous(i)[3] else 0 for i in range(1, N)]
    for i in range(n, N):
        line[i] = f(f(sum(up[i - n + 1:i + 1]) / n) * 100)
    return [line, ma(line, p1, n)]


def spos(S, p0, p1):
    line = [NONE] * N
    for i in range(N):
        h, l, o, c = H[i], L[i], O[i], C[i]
        if h == l:
            line[i] = f(0.0) if i == 0 else line[i - 1]
            continue
        x = f(f((h - o) + (c - l)) / f(2 * (h - l)))
        line[i] = x if i == 0 else f(f(f(f(x - line[i - 1]) * 2) / (p0 + 1)) + line[i - 1])
    return [line, ma(line, p1, 0)]


# ---- volume and energy ----

def brar(S, n):
    br, ar = [NONE] * N, [NONE] * N
    for i in range(n - 1, N):
        su = sum(H[j] - O[j] for j in range(i - n + 1, i + 1))
        sd = sum(O[j] - L[j] for j in range(i - n + 1, i + 1))
        ar[i] = (NONE if i == 0 else ar[i - 1]) if sd == 0 else f(f(f(su) / f(sd)) * 100)
    for i in range(n, N):
        bu = bd = 0
        for j in range(i - n + 1, i + 1):
            pc = S.previous(j)[3]
            bu += max(H[j] - pc, 0)
            bd += max(pc - L[j], 0)
        br[i] = br[i - 1] if bd == 0 else f(f(f(bu) / f(bd)) * 100)
    return [br, ar]


CR_PERIODS = [10, 20, 40, 62]
CR_SHIFT = [4, 9, 19, 30]


def cr(S, n):
    total = N + 30
    lines = [[NONE] * total for _ in range(5)]
    up, dn = [f(0.0)] * N, [f(0.0)] * N
    for i in range(1, N):
        _, ph, pl, _ = S.previous(i)
        mid = f(f(ph + pl) * f(0.5))
        up[i] = max(f(H[i] - mid), f(0.0))
        dn[i] = max(f(mid - L[i]), f(0.0))
    su = sd = f(0.0)
    line = lines[0]
    for i in range(1, N):
        su, sd = f(su + up[i]), f(sd + dn[i])
        if i < n:
            continue
        line[i] = line[i - 1] if sd == 0 else f(f(su / sd) * 100)
        su, sd = f(su - up[i - n + 1]), f(sd - dn[i - n + 1])
    for m in range(4):
        avg = ma(line[:N], CR_PERIODS[m], n)
        for i in range(n + CR_PERIODS[m] - 1, N):
            lines[m + 1][i + CR_SHIFT[m]] = avg[i]
    return lines


def vr(S, n, p1):
    line = [NONE] * N
    cls = [0] + [(lambda d: 1 if d > 0 else (-1 if d < 0 else 0))(C[i] - S.previous(i)[3]) for i in range(1, N)]
    sums = {-1: f(0.0), 0: f(0.0), 1: f(0.0)}
    for i in range(N):
        sums[cls[i]] = f(sums[cls[i]] + A[i])
        if i < n:
            continue
        half = f(sums[0] * f(0.5))
        below = f(half + sums[-1])
        line[i] = line[i - 1] if below == 0 else f(f(f(half + sums[1]) / below) * 100)
        sums[cls[i - n]] = f(sums[cls[i - n]] - A[i - n])
    return [line, ma(line, p1, n)]


def obv(S, p0):
    line = [f(0.0)]
    for i in range(1, N):
        a = f(A[i] * f(0.0001))
        pc = S.previous(i)[3]
        line.append(f(line[-1] + a) if C[i] > pc else (f(line[-1] - a) if C[i] < pc else line[-1]))
    return [line, ma(line, p0, 0)]


def asi(S, p0):
    line = [f(0.0)]
    for i in range(1, N):
        pc = S.previous(i)[3]
        pcr, por = C[i - 1], O[i - 1]
        h, l, c, o = H[i], L[i], C[i], O[i]
        ta, tb, tc, td = abs(h - pc), abs(l - pc), abs(h - l), abs(pcr - por)
        x = f(f(f(c - pc) + f(f(c - o) * f(0.5))) + f(f(pcr - por) * f(0.25)))
        if ta >= tb and ta >= tc:
            r = f(f(ta + f(tb * f(0.5))) + f(td * f(0.25)))
        elif tb >= ta and tb >= tc:
            r = f(f(tb + f(ta * f(0.5))) + f(td * f(0.25)))
        else:
            r = f(tc + f(td * f(0.25)))
        k = f(max(ta, tb) / DIV)
        si = f(0.0) if r == 0 else f(f(f(f(50 * x) / r) * k) / 3)
        line.append(f(line[-1] + si))
    return [line, ma(line, p0, 0)]


def emv(S, p0, p1):
    w = [f(0.0)]
    for i in range(1, N):
        _, ph, pl, _ = S.previous(i)
        mid = f(f(H[i] + L[i]) * f(0.5))
        pmid = f(f(ph + pl) * f(0.5))
        rng = f(H[i] - L[i])
        q = f(A[i] / rng) if rng >= 1e-10 else f(0.0)
        w.append(f(f(f(0.01) * f(mid - pmid)) / q) if rng >= 1e-10 and q >= 1e-10 else w[-1])
    l0 = ma(w, p0, 1)
    l1 = ma(l0, p1, p0)
    return [[f(x * 100000) for x in l0], [f(x * 100000) for x in l1]]


# ---- bands ----

def mike(S, n):
    lines = [[NONE] * N for _ in range(6)]
    t = [NONE] * N
    window = [NONE] * N
    s = f(0.0)
    for i in range(N):
        # the average the next bar uses is taken at the level after an event
        # falling on that bar
        k = S.taking_effect(i + 1) if i + 1 < N and S.events else 0
        if k:
            s = f(0.0)
            for j in range(max(i - n + 1, 0), i + 1):
                window[j] = typical(S.on_basis(j, k))
                s = f(s + window[j])
        else:
            window[i] = typical([O[i], H[i], L[i], C[i]])
            s = f(s + window[i])
        if i >= n - 1:
            t[i] = f(s / n)
            s = f(s - window[i - n + 1])
    for i in range(n, N):
        hh, ll = extremes(S, i - n, i - 1, S.latest(i))
        hs, ls = f(hh / DIV), f(ll / DIV)
        tt = t[i - 1]
        lines[0][i] = f(f(2 * tt) - ls)
        lines[1][i] = f(f(2 * tt) - hs)
        lines[2][i] = f(f(tt + hs) - ls)
        lines[3][i] = f(f(tt - hs) + ls)
        lines[4][i] = f(f(2 * hs) - ls)
        lines[5][i] = f(f(2 * ls) - hs)
    return lines


def boll(S, n, p1):
    w = [f(c / DIV) for c in C]
    mid = S.close_average(n)
    up, lo = [NONE] * N, [NONE] * N
    # squared distances summed in double over a running window, the window
    # summed afresh every 256 bars; with events (p1 != 0) in floats over the
    # window carried to the latest event's level
    def term(j):
        if p1 == 0:
            d = f(w[j] - mid[j])
            return d * d
        return w[j] * w[j]
    sx = sxx = 0.0
    start = 2 * n - 2
    for i in range(start, N):
        if (i - start) % 256 == 0:
            sx = sxx = 0.0
            for j in range(i - n + 1, i + 1):
                sx = sx + w[j]
                sxx = sxx + term(j)
        else:
            sx = sx + (w[i] - w[i - n])
            sxx = sxx + term(i)
            sxx = sxx - term(i - n)
        latest = S.latest(i) if p1 else 0
        if latest:
            s = f(0.0)
            for k in range(n):
                j = i - k
                d = f(f(S.on_basis(j, latest)[3] / DIV) - mid[i])
                s = f(s + f(d * d))
            sd = f(math.sqrt(f(s / n)))
        else:
            s = sxx
            if p1:
                m = mid[i]
                s = sxx - 2.0 * m * sx + n * m * m
            sd = f(math.sqrt(max(s, 0.0) / n))
        if p1 == 0:
            sd = f(sd * f(1.96))
        up[i], lo[i] = f(mid[i] + sd), f(mid[i] - sd)
    return [mid, up, lo]


# id, parameters, lines
INDICATORS = [
    (45, [3, 6, 3], lambda S, p: macd(S, *p)),
    (42, [3, 6, 4], lambda S, p: dma(S, *p)),
    (43, [4], lambda S, p: dmi(S, *p)),
    (44, [3, 5, 0, 0, 0], lambda S, p: expma(S, p)),
    (48, [3, 4], lambda S, p: trix(S, *p)),
    (87, [2, 3, 5], lambda S, p: rsi(S, p)),
    (90, [4, 3], lambda S, p: willr(S, p)),
    (83, [4], lambda S, p: cci(S, *p)),
    (86, [3, 2, 1], lambda S, p: roc(S, *p)),
    (81, [3, 6, 0, 4], lambda S, p: bias(S, p[:3], p[3])),
    (163, [5, 3], lambda S, p: psy(S, *p)),
    (362, [4, 3], lambda S, p: spos(S, *p)),
    (161, [5], lambda S, p: brar(S, *p)),
    (162, [3], lambda S, p: cr(S, *p)),
    (164, [4, 3], lambda S, p: vr(S, *p)),
    (243, [3], lambda S, p: obv(S, *p)),
    (241, [3], lambda S, p: asi(S, *p)),
    (242, [3, 2], lambda S, p: emv(S, *p)),
    (125, [4], lambda S, p: mike(S, *p)),
    (122, [4, 0], lambda S, p: boll(S, *p)),
]


def fmt(x):
    return '-' if x == NONE else repr(x) if out_of_range(x) else '%.9g' % x


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
    out = os.path.join(root, 'tests', 'lumon', 'formula', 'goldens')
    with open(os.path.join(out, 'hand_series.txt'), 'w') as s:
        for r in ROWS:
            s.write('%d %d %d %d\n' % r)
        for e in EVENTS:
            s.write('event %d %d %d %d %d %d\n' % e)
    with open(os.path.join(out, 'hand.txt'), 'w') as g:
        for mode, events in (('plain', []), ('event', EVENTS)):
            S = Series(events)
            for ident, params, fn in INDICATORS:
                g.write('params %s %d %s\n' % (mode, ident, ' '.join(map(str, params))))
                for k, line in enumerate(fn(S, params)):
                    g.write('%s %d %d %s\n' % (mode, ident, k, ' '.join(fmt(x) for x in line)))


if __name__ == '__main__':
    sys.exit(main())
