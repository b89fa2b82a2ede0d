#pragma once

// The plug-in's diagnostic log "vmtrace.txt" in the user's documents
// folder, written only while the environment variable VMTRACE exists. Every
// entry of the plug-in starts it afresh, so it holds the latest call only;
// every line is appended with the file opened and closed around it.
namespace Trace {

void start(const char* label);
void line(const char* label, const char* text);
void line(const char* label, long long number);
void line(const char* label, const void* pointer);

} // namespace Trace
