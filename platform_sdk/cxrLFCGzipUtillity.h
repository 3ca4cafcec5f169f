#pragma once
// gzip compression and decompression of request and reply bodies, over zlib.

#include "os/foundation/Data.h"

class cxrLFCGzipUtillity {
public:
    // gzip-wrapped deflate into a buffer of (length × 1.01 + 21) bytes that never grows; nil on failure.
    static ns::DataRef gzipData(const ns::DataRef& data);
    // Inflate with zlib or gzip header detection; nil on failure. Empty or nil input comes back unchanged.
    static ns::DataRef uncompressZippedData(const ns::DataRef& data);
};
