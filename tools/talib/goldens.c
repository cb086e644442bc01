/* Reference values of the indicators that follow a standard definition, from
   TA-Lib, for the fixture series it writes first. Run by make_goldens.sh, never
   by the build. Usage: goldens OUTPUT_FOLDER */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ta_libc.h"

#define BARS 600

static unsigned seed = 20061101u;
static unsigned next(void)
{
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
}

static int open_[BARS], high[BARS], low[BARS], close_[BARS];
static double h[BARS], l[BARS], c[BARS], price[BARS];

/* One column: the values of out[] placed from index beg, "-" elsewhere. */
typedef struct {
    const double *values;
    int beg, count;
} Column;

static void write_table(const char *folder, const char *name, const Column *cols, int ncols)
{
    char path[1024];
    snprintf(path, sizeof path, "%s/%s", folder, name);
    FILE *f = fopen(path, "w");
    if (!f) {
        perror(path);
        exit(1);
    }
    for (int i = 0; i < BARS; ++i) {
        fprintf(f, "%d", i);
        for (int k = 0; k < ncols; ++k) {
            int j = i - cols[k].beg;
            if (j >= 0 && j < cols[k].count)
                fprintf(f, " %.9g", cols[k].values[j]);
            else
                fprintf(f, " -");
        }
        fprintf(f, "\n");
    }
    fclose(f);
}

static void check(TA_RetCode rc, const char *what)
{
    if (rc != TA_SUCCESS) {
        fprintf(stderr, "%s failed: %d\n", what, (int)rc);
        exit(1);
    }
}

/* A second series of the cases the first avoids: every third bar's high rises
   by as much as its low falls (a tie of directional movement), a stretch of 20
   bars without trade in every 100 (all four prices equal to the last close:
   flat typical-price windows, high = low), single bars with high = low and
   runs of limit-up days. Writes ties_series.txt, then CCI 14 (ties_cci.txt)
   and DMI 14 (ties_dmi.txt: +DI, -DI, ADX, ADXR) on it. */
static void ties_and_flats(const char *out)
{
    seed = 20261211u;
    int p = 1000;
    for (int i = 0; i < BARS; ++i) {
        const int phase = i % 100;
        int o = p, hi, lo, cl;
        if ((phase >= 40 && phase < 60) || phase == 90) {
            o = hi = lo = cl = p;
        } else if (phase >= 80 && phase < 84) {
            lo = p;
            cl = hi = p + p / 10;
        } else {
            cl = p + (int)(next() % 41) - 20;
            if (cl < 200)
                cl = 200;
            hi = (o > cl ? o : cl) + (int)(next() % 9);
            lo = (o < cl ? o : cl) - (int)(next() % 9);
            if (i > 0 && i % 3 == 0) {
                const int d = 1 + (int)(next() % 12);
                hi = high[i - 1] + d;
                lo = low[i - 1] - d;
                if (lo < 100)
                    lo = 100;
                o = o < lo ? lo : o > hi ? hi : o;
                cl = cl < lo ? lo : cl > hi ? hi : cl;
            }
        }
        open_[i] = o;
        high[i] = hi;
        low[i] = lo;
        close_[i] = cl;
        p = cl;
    }
    char path[1024];
    snprintf(path, sizeof path, "%s/ties_series.txt", out);
    FILE *f = fopen(path, "w");
    if (!f) {
        perror(path);
        exit(1);
    }
    for (int i = 0; i < BARS; ++i)
        fprintf(f, "%d %d %d %d\n", open_[i], high[i], low[i], close_[i]);
    fclose(f);
    for (int i = 0; i < BARS; ++i) {
        h[i] = high[i] / 100.0;
        l[i] = low[i] / 100.0;
        c[i] = close_[i] / 100.0;
    }

    static double o1[BARS], o2[BARS], o3[BARS], o4[BARS];
    int b1, n1, b2, n2, b3, n3, b4, n4;
    check(TA_CCI(0, BARS - 1, h, l, c, 14, &b1, &n1, o1), "CCI");
    {
        Column cols[] = {{o1, b1, n1}};
        write_table(out, "ties_cci.txt", cols, 1);
    }
    /* DMI in price units: divided by 100 the two sides of a tie are rounded
       apart and TA-Lib gives the tie to one of them. The lines are ratios and
       do not depend on the unit. */
    for (int i = 0; i < BARS; ++i) {
        h[i] = high[i];
        l[i] = low[i];
        c[i] = close_[i];
    }
    check(TA_PLUS_DI(0, BARS - 1, h, l, c, 14, &b1, &n1, o1), "PLUS_DI");
    check(TA_MINUS_DI(0, BARS - 1, h, l, c, 14, &b2, &n2, o2), "MINUS_DI");
    check(TA_ADX(0, BARS - 1, h, l, c, 14, &b3, &n3, o3), "ADX");
    check(TA_ADXR(0, BARS - 1, h, l, c, 14, &b4, &n4, o4), "ADXR");
    {
        Column cols[] = {{o1, b1, n1}, {o2, b2, n2}, {o3, b3, n3}, {o4, b4, n4}};
        write_table(out, "ties_dmi.txt", cols, 4);
    }
}

/* A 12,000-bar history whose close falls from 20.00 to 0.50 with a small
   wiggle; the tests make the same series from this formula. Writes the simple
   averages of 5, 10, 20, 30, 60 and 120 bars every 97 bars from bar 120, and at the last
   (falling_sma.txt: bar, then one column per average). */
#define FALLING 12000
static int falling_close(int i)
{
    return 2000 - (int)(1950LL * i / (FALLING - 1)) + (int)((i * 7919L) % 11) - 5;
}

static void falling(const char *out)
{
    static double close[FALLING], avg[6][FALLING];
    static const int periods[6] = {5, 10, 20, 30, 60, 120};
    int beg[6], count[6];
    for (int i = 0; i < FALLING; ++i)
        close[i] = falling_close(i) / 100.0;
    for (int k = 0; k < 6; ++k)
        check(TA_SMA(0, FALLING - 1, close, periods[k], &beg[k], &count[k], avg[k]), "SMA");
    char path[1024];
    snprintf(path, sizeof path, "%s/falling_sma.txt", out);
    FILE *f = fopen(path, "w");
    if (!f) {
        perror(path);
        exit(1);
    }
    for (int i = 120;; i = i + 97 < FALLING - 1 ? i + 97 : FALLING - 1) {
        fprintf(f, "%d", i);
        for (int k = 0; k < 6; ++k)
            fprintf(f, " %.9g", avg[k][i - beg[k]]);
        fprintf(f, "\n");
        if (i == FALLING - 1)
            break;
    }
    fclose(f);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: goldens OUTPUT_FOLDER\n");
        return 2;
    }
    const char *out = argv[1];
    check(TA_Initialize(), "TA_Initialize");

    /* A random walk in price units (divisor 100) around 10.00. A bar whose high
       rises by as much as its low falls is moved by one unit: the two
       definitions of directional movement differ only there. */
    int price0 = 1000;
    for (int i = 0; i < BARS; ++i) {
        int o = price0;
        int cl = price0 + (int)(next() % 41) - 20;
        if (cl < 200)
            cl = 200;
        int hi = (o > cl ? o : cl) + (int)(next() % 9);
        int lo = (o < cl ? o : cl) - (int)(next() % 9);
        if (i > 0) {
            int hd = hi - high[i - 1], ld = lo - low[i - 1];
            if (hd > 0 && hd == -ld)
                lo -= 1;
        }
        open_[i] = o;
        high[i] = hi;
        low[i] = lo;
        close_[i] = cl;
        price0 = cl;
    }
    char path[1024];
    snprintf(path, sizeof path, "%s/series.txt", out);
    FILE *f = fopen(path, "w");
    if (!f) {
        perror(path);
        return 1;
    }
    for (int i = 0; i < BARS; ++i)
        fprintf(f, "%d %d %d %d\n", open_[i], high[i], low[i], close_[i]);
    fclose(f);

    for (int i = 0; i < BARS; ++i) {
        h[i] = high[i] / 100.0;
        l[i] = low[i] / 100.0;
        c[i] = close_[i] / 100.0;
        price[i] = ((double)high[i] + low[i] + 2.0 * close_[i]) / 100.0 * 0.25;
    }

    static double o1[BARS], o2[BARS], o3[BARS], o4[BARS];
    int b1, n1, b2, n2, b3, n3, b4, n4;

    /* RSI 6, 12, 24 */
    check(TA_RSI(0, BARS - 1, c, 6, &b1, &n1, o1), "RSI");
    check(TA_RSI(0, BARS - 1, c, 12, &b2, &n2, o2), "RSI");
    check(TA_RSI(0, BARS - 1, c, 24, &b3, &n3, o3), "RSI");
    {
        Column cols[] = {{o1, b1, n1}, {o2, b2, n2}, {o3, b3, n3}};
        write_table(out, "rsi.txt", cols, 3);
    }

    /* Williams %R 10 and 6 (TA-Lib's sign: 0 at the high, -100 at the low) */
    check(TA_WILLR(0, BARS - 1, h, l, c, 10, &b1, &n1, o1), "WILLR");
    check(TA_WILLR(0, BARS - 1, h, l, c, 6, &b2, &n2, o2), "WILLR");
    {
        Column cols[] = {{o1, b1, n1}, {o2, b2, n2}};
        write_table(out, "willr.txt", cols, 2);
    }

    /* CCI 14 */
    check(TA_CCI(0, BARS - 1, h, l, c, 14, &b1, &n1, o1), "CCI");
    {
        Column cols[] = {{o1, b1, n1}};
        write_table(out, "cci.txt", cols, 1);
    }

    /* ROC 12 */
    check(TA_ROC(0, BARS - 1, c, 12, &b1, &n1, o1), "ROC");
    {
        Column cols[] = {{o1, b1, n1}};
        write_table(out, "roc.txt", cols, 1);
    }

    /* The two averages of MACD 12/26 over (H + L + 2C) / 4 */
    check(TA_EMA(0, BARS - 1, price, 12, &b1, &n1, o1), "EMA");
    check(TA_EMA(0, BARS - 1, price, 26, &b2, &n2, o2), "EMA");
    {
        Column cols[] = {{price, 0, BARS}, {o1, b1, n1}, {o2, b2, n2}};
        write_table(out, "macd_ema.txt", cols, 3);
    }

    /* BOLL 20 with one standard deviation: middle, upper, lower */
    check(TA_BBANDS(0, BARS - 1, c, 20, 1.0, 1.0, TA_MAType_SMA, &b1, &n1, o2, o1, o3), "BBANDS");
    {
        Column cols[] = {{o1, b1, n1}, {o2, b1, n1}, {o3, b1, n1}};
        write_table(out, "boll.txt", cols, 3);
    }

    /* DMI 14: +DI, -DI, ADX, ADXR */
    check(TA_PLUS_DI(0, BARS - 1, h, l, c, 14, &b1, &n1, o1), "PLUS_DI");
    check(TA_MINUS_DI(0, BARS - 1, h, l, c, 14, &b2, &n2, o2), "MINUS_DI");
    check(TA_ADX(0, BARS - 1, h, l, c, 14, &b3, &n3, o3), "ADX");
    check(TA_ADXR(0, BARS - 1, h, l, c, 14, &b4, &n4, o4), "ADXR");
    {
        Column cols[] = {{o1, b1, n1}, {o2, b2, n2}, {o3, b3, n3}, {o4, b4, n4}};
        write_table(out, "dmi.txt", cols, 4);
    }

    ties_and_flats(out);
    falling(out);

    TA_Shutdown();
    return 0;
}
