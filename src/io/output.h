// Standard output: lines ended by CR LF, collected in a 128-byte buffer. On a console every
// line goes out as soon as it ends; elsewhere the buffer goes out whenever it fills, and once
// more at exit.
#pragma once

#include <string>

// Writes a console line; a failed hand-over to the system ends the run with the I/O report.
void WriteLine(const std::string& text);

// Writes a console line and returns the system code of a failed hand-over instead of
// reporting it; the I/O report itself is printed this way.
int PutLine(const std::string& text);

// Hands over whatever the buffer holds; returns the system code of a failure.
int FlushOutput();
