#pragma once

namespace obdvane {

// The library's debug hook: formats one line into a 512-byte buffer and
// emits nothing. The format attribute lets the compiler check every call.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace obdvane
