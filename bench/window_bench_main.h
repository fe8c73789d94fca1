// The entry of the benchmarks that show real windows: the toolkit is started
// only when there is an X display; without one those benchmarks report that
// they need it and the others still run.
#pragma once

bool HaveDisplay();
