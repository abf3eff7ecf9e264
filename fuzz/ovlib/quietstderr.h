#pragma once

#include <iostream>
#include <streambuf>

// The library's diagnostics would drown the fuzzer's own output and slow it down.
inline void silenceStderr()
{
    struct NullBuffer : std::streambuf
    {
        int overflow(int c) override { return c; }
    };
    static NullBuffer null;
    std::cerr.rdbuf(&null);
}
