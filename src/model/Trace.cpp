#include "model/Trace.h"

#include <cstdarg>
#include <cstdio>

namespace {
TraceSink& sink()
{
    static TraceSink s;
    return s;
}

TraceSink& observer()
{
    static TraceSink s;
    return s;
}
}

void SetTraceObserver(TraceSink o)
{
    observer() = std::move(o);
}

void SetTraceSink(TraceSink s)
{
    sink() = std::move(s);
}

void TraceLine(int level, const char* format, ...)
{
    if (!sink() && !observer())
        return;
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (sink())
        sink()(level, line);
    if (observer())
        observer()(level, line);
}
