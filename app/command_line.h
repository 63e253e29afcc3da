// Extraction of the output-file name from the whole process command line.
// Pure, so that every quoting rule can be tested without a process.
#ifndef MERROWIND_COMMAND_LINE_H
#define MERROWIND_COMMAND_LINE_H

const int kOutputNameSize = 260;  // at most 259 characters and the NUL

// Skips the program path, then takes the first space-separated argument with
// every double quote removed, cut to 259 characters. Returns 1 when a
// non-empty name was found, else 0 (name is then the empty string).
int ExtractOutputFileName(const char* commandLine, char (&name)[kOutputNameSize]);

// 1 when that argument is "/?", which asks for the usage rather than naming
// a file; else 0.
int AsksForUsage(const char* commandLine);

// The usage, shown for "/?": the command, what the file does, the exit codes.
extern const char kUsageText[];

#endif
