// The geometry checks of geometry_test.cpp on the Korean build's templates (x86 profile,
// Korean resources), under code page 949.
#include "geometry_test.cpp"
