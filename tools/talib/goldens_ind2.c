/* Reference values, from TA-Lib, of the averages and oscillators of the second
   indicator group that follow a standard definition (simple averages, momentum,
   Wilder's RSI applied to the volume), for the fixture series it writes first.
   Run by make_goldens_ind2.sh, never by the build. Usage: goldens_ind2 FOLDER */
#include <stdio.h>
#include <stdlib.h>

#include "ta_libc.h"

#define BARS 300
#define COLUMNS 6

static unsigned seed = 20061208u;
static unsigned next(void)
{
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
}

static void check(TA_RetCode rc, const char *what)
{
    if (rc != TA_SUCCESS) {
        fprintf(stderr, "%s failed: %d\n", what, (int)rc);
        exit(1);
    }
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: goldens_ind2 FOLDER\n");
        return 2;
    }
    check(TA_Initialize(), "TA_Initialize");

    /* A random walk in price units (divisor 100) with whole volumes. */
    static int open_[BARS], high[BARS], low[BARS], close_[BARS], volume[BARS];
    static double h[BARS], l[BARS], c[BARS], v[BARS];
    int price = 1000;
    for (int i = 0; i < BARS; ++i) {
        int o = price;
        int cl = price + (int)(next() % 41) - 20;
        if (cl < 200)
            cl = 200;
        open_[i] = o;
        close_[i] = cl;
        high[i] = (o > cl ? o : cl) + (int)(next() % 9);
        low[i] = (o < cl ? o : cl) - (int)(next() % 9);
        volume[i] = 1000 + (int)(next() % 3000);
        h[i] = high[i] / 100.0;
        l[i] = low[i] / 100.0;
        c[i] = close_[i] / 100.0;
        v[i] = volume[i];
        price = cl;
    }

    char path[1024];
    snprintf(path, sizeof path, "%s/ind2_series.txt", argv[1]);
    FILE *f = fopen(path, "w");
    if (!f) {
        perror(path);
        return 1;
    }
    for (int i = 0; i < BARS; ++i)
        fprintf(f, "%d %d %d %d %d\n", open_[i], high[i], low[i], close_[i], volume[i]);
    fclose(f);

    /* Columns: SMA(C,5), SMA(C,10), SMA(H,10), SMA(L,10), MOM(C,12), RSI(V,6). */
    static double out[COLUMNS][BARS];
    int beg[COLUMNS], count[COLUMNS];
    check(TA_SMA(0, BARS - 1, c, 5, &beg[0], &count[0], out[0]), "SMA");
    check(TA_SMA(0, BARS - 1, c, 10, &beg[1], &count[1], out[1]), "SMA");
    check(TA_SMA(0, BARS - 1, h, 10, &beg[2], &count[2], out[2]), "SMA");
    check(TA_SMA(0, BARS - 1, l, 10, &beg[3], &count[3], out[3]), "SMA");
    check(TA_MOM(0, BARS - 1, c, 12, &beg[4], &count[4], out[4]), "MOM");
    check(TA_RSI(0, BARS - 1, v, 6, &beg[5], &count[5], out[5]), "RSI");

    snprintf(path, sizeof path, "%s/ind2_talib.txt", argv[1]);
    f = fopen(path, "w");
    if (!f) {
        perror(path);
        return 1;
    }
    for (int i = 0; i < BARS; ++i) {
        fprintf(f, "%d", i);
        for (int k = 0; k < COLUMNS; ++k) {
            int j = i - beg[k];
            if (j >= 0 && j < count[k])
                fprintf(f, " %.9g", out[k][j]);
            else
                fprintf(f, " -");
        }
        fprintf(f, "\n");
    }
    fclose(f);
    TA_Shutdown();
    return 0;
}
