#include "system/trace.h"

ILogSink& NullTrace()
{
    // Stateless, so one shared instance is harmless.
    static CNullLog sink;
    return sink;
}
