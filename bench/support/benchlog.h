#pragma once

// A benchmark prints its figures on standard output and nothing else: the program's debug
// lines are dropped, and warnings go to standard error. Call before the application object.
void quietBenchLog();
