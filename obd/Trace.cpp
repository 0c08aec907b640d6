#include "obd/Trace.h"

#include <cstdarg>
#include <cstdio>

namespace obdvane {

void Trace(const char* format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
}

}  // namespace obdvane
