// Arithmetic of the copy page's progress bar, free of the platform.
#pragma once

// 100 * copied / count rounded half up, as the platform's MulDiv does; -1 for count 0.
int CopyPercent(int copied, int count);

// x at which the bar splits between filled and empty for percentage p.
int ProgressSplit(int p, int left, int right);
