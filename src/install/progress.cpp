// Arithmetic of the copy page's progress bar.
#include "install/progress.h"

// The platform's MulDiv(100, copied, count): the product is exact in 64 bits and the
// quotient rounds half away from zero; a zero divisor or a result out of range gives -1.
int CopyPercent(int copied, int count) {
    if (count == 0)
        return -1;
    long long multiplicand = 100;
    long long divisor = count;
    if (divisor < 0) {
        multiplicand = -multiplicand;
        divisor = -divisor;
    }
    long long product = multiplicand * copied;
    long long result =
        product >= 0 ? (product + divisor / 2) / divisor : (product - divisor / 2) / divisor;
    if (result > 2147483647LL || result < -2147483647LL)
        return -1;
    return (int)result;
}

// A full bar ends exactly at the right edge. Otherwise the filled width is p * width
// formed in double precision, times 0.01, truncated toward zero; only its low 16 bits
// count, as the drawing code has always kept them.
int ProgressSplit(int p, int left, int right) {
    if (p == 100)
        return right;
    double filled = (double)p * (double)(right - left) * 0.01;
    long long whole = (long long)filled;
    return left + (int)(unsigned short)whole;
}
